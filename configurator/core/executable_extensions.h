// The list of extensions whose files are programs in their own right, so
// that "Shell" keeps such a file as the program instead of asking the file
// association which program opens it.
#pragma once
#include <string>

namespace bw {

class ExecutableExtensions {
 public:
  // `pathent` is the value of the environment variable PATHENT, or none when
  // it is not set; a value shorter than 3 characters counts as unset.
  explicit ExecutableExtensions(const char* pathent);

  // The lower-cased ";"-separated list in use.
  const std::string& List() const { return list_; }
  // True when the extension (dot included, any case) equals some entry's
  // text from its last "." on. An entry without a "." matches nothing.
  bool Contains(const std::string& extension) const;

 private:
  std::string list_;
};

}  // namespace bw
