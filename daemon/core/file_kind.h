// What is at a path, in words for a message about a path that holds the wrong thing:
// "the config file /tmp is a directory".
#pragma once

#include <string_view>

#include <sys/stat.h>

namespace pv7100::daemon {

inline std::string_view fileKind(mode_t mode) {
  if (S_ISREG(mode)) return "a regular file";
  if (S_ISDIR(mode)) return "a directory";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISSOCK(mode)) return "a socket";
  if (S_ISLNK(mode)) return "a symbolic link";
  if (S_ISCHR(mode)) return "a character device";
  if (S_ISBLK(mode)) return "a block device";
  return "a file of an unknown kind";
}

}  // namespace pv7100::daemon
