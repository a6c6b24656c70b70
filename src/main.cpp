// cpmark: marks a dBase table as holding Windows code page 1251 text.
#include "platform/platform.hpp"
#include "stamp.hpp"

int main(int argc, char** argv) {
    ExitProcessWith(RunStamp(StartPlatform(argc, argv)));
}
