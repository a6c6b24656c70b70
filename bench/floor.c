/* The least any stamping process can do: open, one write at offset 29,
 * close. Linked statically, like cpmark. */
#include <fcntl.h>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc < 2) return 1;
    const int fd = open(argv[1], O_RDWR);
    if (fd < 0) return 2;
    const unsigned char mark = 0xC9;
    if (pwrite(fd, &mark, 1, 29) != 1) return 1;
    return close(fd) == 0 ? 0 : 1;
}
