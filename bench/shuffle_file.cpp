// Usage: sortivo_shuffle FILE
// Reads FILE as the program opens a list, draws every entry and writes the result text, one
// entry per line, to standard output: a whole run to time beside `shuf FILE`.
#include "core/drawrun.h"
#include "core/proofsession.h"
#include "core/textdecode.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::cerr << "usage: sortivo_shuffle FILE\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::cerr << "cannot open " << argv[1] << "\n";
        return 1;
    }
    // One read into a buffer of the file's size, as the window does.
    std::string bytes(std::size_t(std::filesystem::file_size(argv[1])), '\0');
    in.read(bytes.data(), std::streamsize(bytes.size()));
    sortivo::DecodedList decoded = sortivo::decodeListFile(bytes);
    if (decoded.status != sortivo::DecodedList::Status::Ok) {
        std::cerr << argv[1] << " is not a text file\n";
        return 1;
    }
    sortivo::EntryList entries = sortivo::loadEntries(std::move(decoded.listText));
    const auto count = std::int32_t(entries.size());
    sortivo::ProofSession session(sortivo::freshSeed());
    sortivo::DrawRun run =
        session.beginRun(std::move(entries), std::string(), {sortivo::DrawMode::All, count, 0}, "");
    run.drawAll();
    session.endRun(run);
    const std::string result = sortivo::encodeResultFile(run.resultText());
    std::fwrite(result.data(), 1, result.size(), stdout);
    return 0;
}
