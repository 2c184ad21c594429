#pragma once

#include "cli/exitstatus.h"
#include "core/text/expected.h"

#include <string>
#include <vector>

// The prizes given to `sortivo tirer --lots`, in the order they are won, "3 × Bon" made three
// as frmLots makes them: a text file, one prize a line, or a column of a table (CSV, TSV, XLSX,
// ODS: the first sheet, its first row the titles), by `column`'s title or number from 1, the
// first column when `column` is empty. `told` is what to say on standard error when all goes
// well: the column taken by default.
struct PrizeInput {
    std::vector<std::string> prizes;
    std::string told;
};

// Refused with badInput for a file that cannot be read, holds no prize or a line that counts
// none, usageError for a column that is not there or that a text file cannot have.
sortivo::Expected<PrizeInput, CommandRefusal> readPrizeFile(const std::string& path,
                                                            const std::string& column);
