/* Runs one program and prints its wall time in nanoseconds, its peak RSS in KiB and
 * its exit status. Linked statically and kept tiny because a child's peak RSS
 * includes what it held before exec, which it inherits from whoever spawned it. */
#define _GNU_SOURCE
#include <fcntl.h>
#include <stdio.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

int main(int argc, char* argv[]) {
  if (argc < 3) {
    fprintf(stderr, "usage: %s STDIN_FILE PROGRAM [ARG...]\n", argv[0]);
    return 2;
  }
  struct timespec start;
  struct timespec end;
  clock_gettime(CLOCK_MONOTONIC, &start);
  pid_t pid = vfork();
  if (pid == 0) {
    int in = open(argv[1], O_RDONLY);
    int out = open("/dev/null", O_WRONLY);
    dup2(in, STDIN_FILENO);
    dup2(out, STDOUT_FILENO);
    execv(argv[2], argv + 2);
    _exit(127);
  }
  int status = 0;
  struct rusage usage;
  if (pid < 0 || wait4(pid, &status, 0, &usage) != pid) {
    return 2;
  }
  clock_gettime(CLOCK_MONOTONIC, &end);
  long long ns =
      (long long)(end.tv_sec - start.tv_sec) * 1000000000LL + (end.tv_nsec - start.tv_nsec);
  printf("%lld %ld %d\n", ns, usage.ru_maxrss, WIFEXITED(status) ? WEXITSTATUS(status) : -1);
  return 0;
}
