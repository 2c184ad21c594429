#pragma once

#include "core/draw/drawmode.h"

#include <string>

// What `sortivo tirer` was asked, checked for form: the command line is read with Qt, the draw
// itself runs without it.
struct DrawCommandOptions {
    std::string listPath; // "-" for the standard input; empty with `commitOnly`
    sortivo::DrawMode mode = sortivo::DrawMode::All;
    int count = 0;    // DrawMode::Chosen
    int teamSize = 0; // DrawMode::Teams
    std::string publicValue;
    std::string seedHex; // 64 lowercase hex digits to replay, or empty
    std::string seedFile;
    std::string recordPath;
    // The palmarès, written as CSV, XLSX or ODS by the name's suffix, which was checked.
    std::string palmaresPath;
    bool commitOnly = false;
    // With `commitOnly`: the list fixed with the seed, whose fingerprint is shown and kept.
    std::string commitListPath;
    // The draw is the next run of the seed file's session, added to the record at recordPath,
    // which holds the runs before it.
    bool continuesSession = false;
    // Each entry drawn withdraws the other entries of its person; with `commitOnly`, fixed in
    // the seed file for every draw from it.
    bool onePrizePerPerson = false;
    // The prizes, one a line or a column of a table (by title or number; empty: the first);
    // with `commitOnly`, fixed in the seed file for every draw from it.
    std::string prizesPath;
    std::string prizeColumn;
    bool crlf = false;
    // For a table (CSV, TSV, XLSX, ODS): the columns by title or number, comma-separated
    // (empty: those frmColonnes checks), the column of counts of tickets, the sheet from 1 (0: the
    // first), and whether the first row is data and duplicates go.
    std::string columns;
    // The column of counts, by title or number, whose rows give one entry a ticket; empty: none.
    std::string tickets;
    int sheet = 0;
    bool noTitles = false;
    bool dropDuplicates = false;
};
