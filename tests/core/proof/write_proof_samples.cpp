// Usage: write_proof_samples FOLDER
// Writes the sample records into FOLDER, those that must pass as accepted-NAME.json and those
// with one byte changed as rejected-NAME.json, for a checker other than the program's own; and
// beside each accepted one, accepted-NAME.attention, the warnings it must give after CONFORME,
// and accepted-NAME.palmares, the palmarès it must print after them.
#include "support/proofsamples.h"

#include <filesystem>
#include <fstream>
#include <iostream>

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::cerr << "usage: write_proof_samples FOLDER\n";
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    auto write = [&](const std::string& kind, const SampleRecord& record) {
        std::ofstream out(folder / (kind + "-" + record.name + ".json"), std::ios::binary);
        out << record.json;
        return bool(out);
    };
    for (const SampleRecord& record : proofsamples::acceptedRecords()) {
        std::ofstream warnings(folder / ("accepted-" + record.name + ".attention"),
                               std::ios::binary);
        warnings << record.warnings;
        std::ofstream palmares(folder / ("accepted-" + record.name + ".palmares"),
                               std::ios::binary);
        palmares << record.palmares;
        if (!write("accepted", record) || !warnings || !palmares)
            return 1;
    }
    for (const SampleRecord& record : proofsamples::oneByteChanges())
        if (!write("rejected", record))
            return 1;
    for (const HostileRecord& record : proofsamples::hostileRecords())
        if (!write("rejected", {"hostile-" + record.name, record.json, {}, {}}))
            return 1;
    return 0;
}
