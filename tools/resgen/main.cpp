// resgen: writes the module's pictures, as drawn by resources/Pictures.cpp,
// into the files the Windows resource script reads.
//   resgen <folder>      (normally the source tree's resources/)
// The files are checked in; the resources test fails when they no longer
// equal the drawing, and running this brings them up to date.
#include <cstdio>
#include <string>

#include "tools/resgen/PictureFiles.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: resgen <folder>\n");
        return 2;
    }
    for (const PictureFile& file : ModulePictureFiles()) {
        const std::string path = std::string(argv[1]) + "/" + file.name;
        std::FILE* out = std::fopen(path.c_str(), "wb");
        if (!out) {
            std::perror(path.c_str());
            return 1;
        }
        const bool written = std::fwrite(file.bytes.data(), 1, file.bytes.size(), out) == file.bytes.size();
        if (std::fclose(out) != 0 || !written) {
            std::fprintf(stderr, "%s: write failed\n", path.c_str());
            return 1;
        }
        std::printf("%s: %zu bytes\n", path.c_str(), file.bytes.size());
    }
    return 0;
}
