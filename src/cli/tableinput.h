#pragma once

#include "cli/drawcommandoptions.h"
#include "cli/exitstatus.h"
#include "core/list/celltable.h"
#include "core/text/expected.h"
#include "sheets/sheetbook.h"

#include <cstdint>
#include <string>
#include <vector>

// A table given to `sortivo tirer` (a spreadsheet by its content, a delimited file by a .csv
// or .tsv name) turned into its entries as frmColonnes would, by the options.
struct TableInput {
    bool table = false;   // false: the file is a text list, read as Open reads one
    std::string listText; // the entries, CR LF between them
    // What to say on standard error when all goes well: the columns taken by default.
    std::string told;
    // With DrawCommandOptions::palmaresPath: the table, the title of each of its columns, and
    // the row each entry came from, so that a winner is written with its whole row.
    sortivo::CellTable source = sortivo::CellTable();
    std::vector<std::string> sourceNames;
    std::vector<std::uint32_t> entryRows;
};

// `sheets` as the list file gave them: none for a text list.
// Refused with badInput for what the table lacks, usageError for options that do not apply.
sortivo::Expected<TableInput, CommandRefusal>
readTableInput(const DrawCommandOptions& options, const std::vector<sortivo::Sheet>& sheets);
