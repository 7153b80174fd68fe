/* The smallest client that does Vantrel's exchange: the yardstick of the benchmark. */
#include <netdb.h>
#include <netinet/in.h>
#include <stdio.h>
#include <string.h>
#include <sys/socket.h>
#include <unistd.h>

int main(void) {
  static char block[8192] = "3:3,5,6,7";
  static char answer[8192];
  struct addrinfo hints;
  memset(&hints, 0, sizeof hints);
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  struct addrinfo* found = NULL;
  if (getaddrinfo("localhost", "1600", &hints, &found) != 0) {
    return 1;
  }
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0 || connect(fd, found->ai_addr, found->ai_addrlen) != 0) {
    return 1;
  }
  freeaddrinfo(found);
  size_t sent = 0;
  while (sent < sizeof block) {
    ssize_t took = send(fd, block + sent, sizeof block - sent, MSG_NOSIGNAL);
    if (took <= 0) {
      return 1;
    }
    sent += (size_t)took;
  }
  size_t held = 0;
  ssize_t got;
  while (held < sizeof answer - 1 &&
         (got = recv(fd, answer + held, sizeof answer - 1 - held, 0)) > 0) {
    held += (size_t)got;
  }
  close(fd);
  printf("Sent: %s\nReturned:\n%s\n", block, answer);
  return 0;
}
