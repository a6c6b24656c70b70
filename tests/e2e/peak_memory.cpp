// peak_memory FILE PROGRAM [ARGS...]: runs PROGRAM, writes its peak resident
// memory in KiB to FILE, and ends as PROGRAM ended. Being small itself, it
// lets the measure show the program alone: a child forked straight from a
// large test process counts that process's pages too.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 3) return 125;
    const pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[2], argv + 2);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid) return 125;
    if (std::FILE* out = std::fopen(argv[1], "w")) {
        std::fprintf(out, "%ld\n", usage.ru_maxrss);
        std::fclose(out);
    }
    if (WIFSIGNALED(status)) {
        std::signal(WTERMSIG(status), SIG_DFL);
        raise(WTERMSIG(status));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 125;
}
