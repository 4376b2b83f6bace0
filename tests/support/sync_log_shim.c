/* Preloaded into kvhost by the save-order test: logs each fsync (with the file or folder its
 * descriptor names) and each rename to the file $KV_SYNC_LOG, one line a call, in the order
 * made, then does the call. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static void log_line(const char* what, const char* first, const char* second) {
  const char* file = getenv("KV_SYNC_LOG");
  if (file == NULL) return;
  char line[3 * PATH_MAX];
  const int length = snprintf(line, sizeof line, "%s %s%s%s\n", what, first,
                              second ? " " : "", second ? second : "");
  if (length <= 0) return;
  const int log = open(file, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
  if (log < 0) return;
  const ssize_t ignored = write(log, line, (size_t)length < sizeof line ? (size_t)length : sizeof line);
  (void)ignored;
  close(log);
}

int fsync(int fd) {
  static int (*next)(int) = NULL;
  if (next == NULL) *(void**)&next = dlsym(RTLD_NEXT, "fsync");
  char link[64], path[PATH_MAX];
  snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  const ssize_t n = readlink(link, path, sizeof path - 1);
  path[n > 0 ? n : 0] = '\0';
  log_line("fsync", path, NULL);
  return next(fd);
}

int rename(const char* from, const char* to) {
  static int (*next)(const char*, const char*) = NULL;
  if (next == NULL) *(void**)&next = dlsym(RTLD_NEXT, "rename");
  log_line("rename", from, to);
  return next(from, to);
}

int renameat2(int from_folder, const char* from, int to_folder, const char* to, unsigned flags) {
  static int (*next)(int, const char*, int, const char*, unsigned) = NULL;
  if (next == NULL) *(void**)&next = dlsym(RTLD_NEXT, "renameat2");
  log_line("rename", from, to);
  return next(from_folder, from, to_folder, to, flags);
}
