#include "tools/rarpack/rarpack.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace rarpack {
namespace {

const char kUsage[] =
    "Usage:\n"
    "  rarpack a [-m0] [-s] [-mm] [--mtime=SECONDS] ARCHIVE PATH...\n"
    "  rarpack x [-o] ARCHIVE [DIR]\n"
    "  rarpack l ARCHIVE\n"
    "  rarpack t ARCHIVE\n"
    "  rarpack p ARCHIVE NAME\n"
    "  rarpack --help\n"
    "\n"
    "Commands:\n"
    "  a  write a new RAR 2.0 archive (replacing ARCHIVE) with the files and directory\n"
    "     trees given. A file is stored under its own name, a directory as the files\n"
    "     below it named relative to it, with '\\' between the parts.\n"
    "  x  extract every entry under DIR (default: the current directory) with its path,\n"
    "     creating directories and restoring times and the read-only attribute. An\n"
    "     existing file is kept and reported unless -o is given, which overwrites it.\n"
    "     A name that would land outside DIR ('..' parts, an absolute path, a drive\n"
    "     letter, a link out of DIR) is refused with its name; the rest is extracted.\n"
    "  l  list the entries: name, size, packed size, ratio, method, CRC, time\n"
    "  t  read every entry and check it against its CRC\n"
    "  p  write the entry NAME to standard output (NAME matches without regard to case,\n"
    "     with '\\', '/' and '_' alike)\n"
    "\n"
    "Options of a:\n"
    "  -m0     store only, no compression\n"
    "  -s      solid archive: each file continues the compressed stream of the ones\n"
    "          before it\n"
    "  -mm     multimedia mode for every file (sampled sound; 1 to 4 byte channels,\n"
    "          taken from a WAV header or the best fit; -mm1 .. -mm4 to name the count).\n"
    "          Without -mm it is used wherever it packs smaller than LZ.\n"
    "  --mtime=SECONDS\n"
    "          give every entry this time (seconds since 1970, UTC) instead of the\n"
    "          file's own; SOURCE_DATE_EPOCH in the environment does the same. With\n"
    "          either, the same input always gives a byte-identical archive.\n"
    "\n"
    "The archive (and each file x writes) is written to a temporary file beside it and\n"
    "renamed into place only when complete. Exit status: 0 on success, 1 on any failure\n"
    "(for x: an entry refused, damaged or not written; kept files are no failure),\n"
    "2 on a usage error.\n";

int usageError(const std::string& message) {
    std::fprintf(stderr, "rarpack: %s\nTry 'rarpack --help'.\n", message.c_str());
    return 2;
}

}  // namespace

int run(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) return usageError("no command");
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    const std::string command = args[0];
    args.erase(args.begin());
    if (command == "a") {
        AddOptions options;
        std::string error;
        if (!parseAddArguments(args, std::getenv("SOURCE_DATE_EPOCH"), &options, &error))
            return usageError(error);
        return addCommand(options);
    }
    if (command == "x") {
        ExtractOptions options;
        std::vector<std::string> operands;
        for (const std::string& a : args) {
            if (a == "-o")
                options.overwrite = true;
            else if (a.size() > 1 && a[0] == '-')
                return usageError("x: unknown option " + a);
            else
                operands.push_back(a);
        }
        if (operands.empty() || operands.size() > 2)
            return usageError("x: needs ARCHIVE and at most one DIR");
        options.archive = operands[0];
        if (operands.size() == 2) options.directory = operands[1];
        return extractCommand(options);
    }
    if (command == "l" || command == "t") {
        if (args.size() != 1) return usageError(command + ": needs exactly one ARCHIVE");
        return command == "l" ? listCommand(args[0]) : testCommand(args[0]);
    }
    if (command == "p") {
        if (args.size() != 2) return usageError("p: needs ARCHIVE and NAME");
        return printCommand(args[0], args[1]);
    }
    return usageError("unknown command " + command);
}

}  // namespace rarpack
