// The OAuth 2.0 test server of the sign-in and XOAUTH2 tests: oauth2-mock-server
// made strict through its hooks, over HTTPS.
//   node strict-server.js PORT CERT KEY USER CLIENT_ID CLIENT_SECRET
// Strict means: a code is accepted once, only with S256 PKCE, its verifier,
// the client and the redirect URI of its /authorize; a refresh token only
// when this server issued it and has not revoked it; introspection answers
// active (with USER as the user name) only for unexpired access tokens it
// issued. The tests steer it through /test/...:
//   POST /test/config?lifetime=SECONDS&rotate=0|1&introspection=on|refuse
//   POST /test/revoke            every refresh token becomes invalid
//   GET  /test/secrets           every code and token issued (the tests make
//                                sure none of them reaches a log)
//   GET  /test/stats             counts of the token requests by grant type
//   POST /trickle                a token endpoint that answers 200 and then
//                                one byte of a chunked body every 0.5 s
//   POST /cut                    one whose answer ends half-way: its length
//                                promised, part of it sent, the connection closed
'use strict';
const fs = require('node:fs');
const https = require('node:https');
const path = require('node:path');
const { OAuth2Server } = require(path.join(__dirname, '../../../build/node/node_modules/oauth2-mock-server'));

const [port, cert, key, user, clientId, clientSecret] = process.argv.slice(2);
if (!clientSecret) {
  console.error('usage: strict-server.js PORT CERT KEY USER CLIENT_ID CLIENT_SECRET');
  process.exit(2);
}

const config = { lifetime: 3600, rotate: true, introspection: 'on' };
const codes = new Map();          // code -> { challenge, redirectUri }
const refreshTokens = new Map();  // refresh token -> { valid }
const accessTokens = new Map();   // access token -> expiry (ms)
const secrets = [];
const stats = { authorization_code: 0, refresh_token: 0, refused: 0, introspect: 0 };

// The library's service under an HTTPS server of our own, which also
// serves /test/... and reads the introspection form.
const mock = new OAuth2Server();
const service = mock.service;

function refuse(response, error, description) {
  response.statusCode = 400;
  response.body = { error, error_description: description };
  stats.refused += 1;
}

service.on('beforeAuthorizeRedirect', (redirect, req) => {
  const q = req.query;
  const uri = String(q.redirect_uri || '');
  const ok = q.response_type === 'code' && q.client_id === clientId && q.code_challenge_method === 'S256' &&
             typeof q.code_challenge === 'string' && q.code_challenge.length === 43 &&
             /^http:\/\/127\.0\.0\.1:\d+\/$/.test(uri) && typeof q.state === 'string' && q.state.length > 0;
  const code = redirect.url.searchParams.get('code');
  if (!ok || !code) {
    redirect.url.searchParams.delete('code');
    redirect.url.searchParams.set('error', 'invalid_request');
    return;
  }
  codes.set(code, { redirectUri: uri });
  secrets.push(code);
});

service.on('beforeResponse', (response, req) => {
  const body = req.body || {};
  const clientOk = body.client_id === clientId && body.client_secret === clientSecret;
  if (body.grant_type === 'authorization_code') {
    stats.authorization_code += 1;
    const issued = codes.get(body.code);
    codes.delete(body.code);  // once only, whatever follows
    if (!clientOk) return refuse(response, 'invalid_client', 'unknown client');
    if (!issued || !body.code_verifier) return refuse(response, 'invalid_grant', 'unknown code or no verifier');
    if (body.redirect_uri !== issued.redirectUri) return refuse(response, 'invalid_grant', 'redirect_uri differs');
    // The library itself refused a verifier that does not match the challenge.
  } else if (body.grant_type === 'refresh_token') {
    stats.refresh_token += 1;
    if (!clientOk) return refuse(response, 'invalid_client', 'unknown client');
    const known = refreshTokens.get(body.refresh_token);
    if (!known || !known.valid) return refuse(response, 'invalid_grant', 'unknown or revoked refresh token');
    if (config.rotate) known.valid = false;
  } else {
    return refuse(response, 'unsupported_grant_type', 'not for this test');
  }
  if (response.statusCode !== 200) return;
  const b = response.body;
  delete b.id_token;
  b.expires_in = config.lifetime;
  accessTokens.set(b.access_token, Date.now() + config.lifetime * 1000);
  secrets.push(b.access_token);
  if (body.grant_type === 'refresh_token' && !config.rotate) {
    delete b.refresh_token;  // the provider keeps the old one in force
  } else {
    refreshTokens.set(b.refresh_token, { valid: true });
    secrets.push(b.refresh_token);
  }
});

service.on('beforeIntrospect', (response, req) => {
  stats.introspect += 1;
  const token = req.body && req.body.token;
  const expiry = accessTokens.get(token);
  if (config.introspection !== 'on' || expiry === undefined || expiry <= Date.now()) {
    response.body = { active: false };
    return;
  }
  response.body = { active: true, username: user, exp: Math.floor(expiry / 1000), client_id: clientId };
});

// Reads a form body for the routes the library reads none of (introspection).
function readForm(req) {
  return new Promise((resolve) => {
    let text = '';
    req.on('data', (chunk) => { text += chunk; if (text.length > 65536) req.destroy(); });
    req.on('end', () => resolve(Object.fromEntries(new URLSearchParams(text))));
  });
}

function answer(res, status, body) {
  res.writeHead(status, { 'Content-Type': 'application/json' });
  res.end(JSON.stringify(body));
}

async function handle(req, res) {
  const url = new URL(req.url, 'https://localhost');
  if (url.pathname === '/introspect' && req.method === 'POST') {
    req.body = await readForm(req);
    req._body = true;  // the library's parsers leave a read body alone
  } else if (url.pathname === '/test/config' && req.method === 'POST') {
    if (url.searchParams.has('lifetime')) config.lifetime = Number(url.searchParams.get('lifetime'));
    if (url.searchParams.has('rotate')) config.rotate = url.searchParams.get('rotate') === '1';
    if (url.searchParams.has('introspection')) config.introspection = url.searchParams.get('introspection');
    return answer(res, 200, config);
  } else if (url.pathname === '/test/revoke' && req.method === 'POST') {
    for (const t of refreshTokens.values()) t.valid = false;
    return answer(res, 200, { revoked: refreshTokens.size });
  } else if (url.pathname === '/test/secrets') {
    return answer(res, 200, secrets);
  } else if (url.pathname === '/test/stats') {
    return answer(res, 200, stats);
  } else if (url.pathname === '/cut') {
    res.writeHead(200, { 'Content-Type': 'application/json', 'Content-Length': '200' });
    res.write('{"access_token":"');
    setTimeout(() => res.socket.destroy(), 200);
    return;
  } else if (url.pathname === '/trickle') {
    // Every wait of the client is short, the whole answer never ends.
    res.writeHead(200, { 'Content-Type': 'application/json' });
    res.write('{');
    const timer = setInterval(() => res.write(' '), 500);
    res.on('close', () => clearInterval(timer));
    return;
  }
  return service.requestHandler(req, res);
}

mock.issuer.url = `https://localhost:${port}`;
mock.issuer.keys.generate('RS256').then(() => {
  const server = https.createServer({ key: fs.readFileSync(key), cert: fs.readFileSync(cert) }, (req, res) => {
    handle(req, res).catch(() => answer(res, 500, { error: 'server_error' }));
  });
  server.listen(Number(port), '127.0.0.1', () => console.log(`oauth test server on https://localhost:${port}`));
  for (const signal of ['SIGTERM', 'SIGINT']) process.on(signal, () => server.close(() => process.exit(0)));
});
