// Path parts of the configurator's dialog models.
#include "configurator/core/field_text.h"

#include "common/core/sjis.h"

namespace bw {

std::string WorkingFolderOf(const std::string& path) {
  return WithoutTrailingSeparator(FolderPart(path));
}

std::string LowerCased(std::string text) {
  LowerCaseSjis(text);
  return text;
}

}  // namespace bw
