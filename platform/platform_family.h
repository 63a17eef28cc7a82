// Platform families of the shared platform query. The codes are our own,
// not the dwPlatformId values they are derived from.
#pragma once

namespace bw {

enum : int {
  kFamilyUnknown = -1,  // the version could not be read
  kFamilyOther = 1,
  kFamilyWindows95 = 2,
  kFamilyNt = 3,
};

}  // namespace bw
