// Id of the checker's version dialog, shared by version_dialog.rc and the
// code.
#pragma once

#define IDD_VERSION 103
