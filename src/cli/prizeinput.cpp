#include "cli/prizeinput.h"

#include "core/io/textdecode.h"
#include "core/list/celltable.h"
#include "core/proof/prizes.h"
#include "core/proof/proofverify.h"
#include "listsource/listfilerefusal.h"
#include "listsource/listsource.h"

namespace
{

// A refusal of the file names the option, so that it is not taken for one about the list.
CommandRefusal refusal(const std::string& why, int status = exitstatus::badInput)
{
    return CommandRefusal{"--lots : " + why, status};
}

// The column's cells below its title, one a line.
sortivo::Expected<std::string, CommandRefusal>
columnText(const sortivo::CellTable& table, const std::string& column, std::string& told)
{
    if (table.columnCount() == 0)
        return std::string();
    sortivo::ColumnChoice choice;
    // A prize is anything, a number or a date too: no guess could tell a title from the first
    // prize, so the first row is always the titles.
    choice.titles = true;
    const std::optional<std::size_t> found =
        column.empty() ? std::optional<std::size_t>(0) : sortivo::findColumn(table, true, column);
    if (!found)
        return CommandRefusal{"--lots-colonne : pas de colonne « " +
                                  sortivo::printable(column, 80) + " » dans ce tableau.",
                              exitstatus::usageError};
    choice.columns = {*found};
    if (column.empty())
        told = "sortivo tirer : lots pris dans la colonne " +
               sortivo::printable(sortivo::columnNames(table, true).front(), 80) +
               " (--lots-colonne pour en choisir une autre).\n";
    sortivo::TableEntries entries = sortivo::tableEntries(table, choice);
    if (!entries.refusal.empty())
        return refusal(sortivo::printable(entries.refusal));
    return std::move(entries.text);
}

} // namespace

sortivo::Expected<PrizeInput, CommandRefusal> readPrizeFile(const std::string& path,
                                                            const std::string& column)
{
    if (const std::optional<ListFileRefusal> refused = refusalBeforeReading(path))
        return refusal(refused->utf8());
    sortivo::Expected<ListFile, ListFileRefusal> read = readListFile({path, nullptr, {}});
    if (!read)
        return refusal(read.error().utf8());
    PrizeInput input;
    std::string text;
    if (read->sheets.empty()) {
        if (!column.empty())
            return CommandRefusal{"--lots-colonne ne vaut que pour des lots en tableau (CSV, "
                                  "TSV, XLSX ou ODS).",
                                  exitstatus::usageError};
        // Blank lines separate groups of prizes: unlike a list's, they do not end the reading.
        std::optional<std::string> decoded = sortivo::decodeTextFile(read->text);
        if (!decoded)
            return refusal(ListFileRefusal(ListFileRefusal::NotText).utf8());
        // A CR alone ends a line as well (old Mac files): a prize holding one would break the
        // record's line of it.
        text.reserve(decoded->size());
        for (std::size_t at = 0; at < decoded->size(); ++at)
            if ((*decoded)[at] != '\r')
                text += (*decoded)[at];
            else if (at + 1 == decoded->size() || (*decoded)[at + 1] != '\n')
                text += '\n';
    } else {
        sortivo::Expected<std::string, CommandRefusal> cells =
            columnText(read->sheets.front().table, column, input.told);
        if (!cells)
            return cells.error();
        text = std::move(*cells);
    }
    sortivo::Expected<std::vector<std::string>> prizes = sortivo::expandPrizes(text);
    if (!prizes)
        return refusal(prizes.error().text);
    if (prizes->empty())
        return refusal("le fichier ne contient aucun lot.");
    input.prizes = std::move(*prizes);
    return input;
}
