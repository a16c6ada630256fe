// Writes the sample timetable set: velomar-generate-timetables [OUTPUT_DIR]
// (default: data/TimeData under the current directory).
#include <cstdio>
#include <string>

#include "tools/timetable_generator.h"

int main(int argc, char** argv) {
    if (argc > 2 ||
        (argc == 2 && (std::string(argv[1]) == "-h" || std::string(argv[1]) == "--help"))) {
        std::fprintf(argc > 2 ? stderr : stdout,
                     "Usage: velomar-generate-timetables [OUTPUT_DIR]\n"
                     "Writes the 64 synthetic sample timetables (UpData_00.txt ... "
                     "DownData_31.txt)\ninto OUTPUT_DIR (default: data/TimeData).\n");
        return argc > 2 ? 2 : 0;
    }
    const std::string directory = argc == 2 ? argv[1] : "data/TimeData";
    const std::string error = velomar::tools::WriteTimetables(directory);
    if (!error.empty()) {
        std::fprintf(stderr, "velomar-generate-timetables: %s\n", error.c_str());
        return 1;
    }
    std::printf("64 timetable files written to %s\n", directory.c_str());
    return 0;
}
