#include "cli/tableinput.h"

#include "cli/exitstatus.h"
#include "core/list/celltable.h"
#include "core/proof/proofverify.h"
#include "core/text/french.h"

namespace
{

// A title is the file's text, which may be a whole line of it or hold terminal commands: it
// reaches the terminal as the checkers quote a record, by its start.
constexpr std::size_t longestTitle = 80;

std::string trimmed(std::string text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

} // namespace

sortivo::Expected<TableInput, CommandRefusal>
readTableInput(const DrawCommandOptions& options, const std::vector<sortivo::Sheet>& sheets)
{
    const bool tableOptions =
        !options.columns.empty() || options.sheet > 0 || options.noTitles || options.dropDuplicates;
    if (sheets.empty() && !options.tickets.empty())
        return CommandRefusal{"--billets ne vaut que pour un tableau (CSV, TSV, XLSX ou ODS) : "
                              "une liste de texte a une ligne par entrée.",
                              exitstatus::usageError};
    if (sheets.empty()) {
        if (tableOptions)
            return CommandRefusal{
                "--colonnes, --feuille, --sans-titres et --sans-doublons ne valent "
                "que pour un tableau (CSV, TSV, XLSX ou ODS).",
                exitstatus::usageError};
        return TableInput{};
    }

    const std::size_t sheet = options.sheet > 0 ? std::size_t(options.sheet - 1) : 0;
    if (sheet >= sheets.size())
        return CommandRefusal{"--feuille " + std::to_string(options.sheet) +
                                  " : le classeur n'a que " +
                                  sortivo::frenchCount(sheets.size(), "feuille", "feuilles",
                                                       sortivo::Thousands::None) +
                                  ".",
                              exitstatus::usageError};
    const sortivo::CellTable& table = sheets[sheet].table;
    sortivo::ColumnChoice choice;
    // A column named by its title says that the first row holds the titles.
    const bool namedByTitle =
        options.columns.find_first_not_of("0123456789, \t") != std::string::npos ||
        options.tickets.find_first_not_of("0123456789") != std::string::npos;
    choice.titles = !options.noTitles && (namedByTitle || sortivo::firstRowLooksLikeTitles(table));
    choice.dropDuplicates = options.dropDuplicates;
    TableInput input;
    input.table = true;
    if (!options.tickets.empty()) {
        choice.ticketCount = sortivo::findColumn(table, choice.titles, options.tickets);
        if (!choice.ticketCount)
            return CommandRefusal{"--billets : pas de colonne « " + options.tickets +
                                      " » dans ce tableau.",
                                  exitstatus::usageError};
    }
    if (options.columns.empty()) {
        // Without --billets, the column the window would propose for counts is still no
        // number of a ticket.
        choice.columns = sortivo::defaultColumns(
            table, choice.titles,
            choice.ticketCount ? choice.ticketCount
                               : sortivo::proposedTicketCount(table, choice.titles));
        const std::vector<std::string> names = sortivo::columnNames(table, choice.titles);
        input.told = "sortivo tirer : colonnes prises :";
        for (std::size_t k = 0; k < choice.columns.size(); ++k)
            input.told +=
                (k == 0 ? " " : ", ") + sortivo::printable(names[choice.columns[k]], longestTitle);
        input.told += " (--colonnes pour en choisir d'autres).\n";
    } else {
        // In the order given, so that "Prénom,Nom" writes the first name first.
        std::size_t from = 0;
        for (;;) {
            const std::size_t comma = options.columns.find(',', from);
            const std::string name = trimmed(options.columns.substr(from, comma - from));
            const std::optional<std::size_t> column =
                sortivo::findColumn(table, choice.titles, name);
            if (!column)
                return CommandRefusal{"--colonnes : pas de colonne « " + name +
                                          " » dans ce tableau.",
                                      exitstatus::usageError};
            choice.columns.push_back(*column);
            if (comma == std::string::npos)
                break;
            from = comma + 1;
        }
    }
    choice.keepRows = !options.palmaresPath.empty();
    sortivo::TableEntries entries = sortivo::tableEntries(table, choice);
    // The refusal quotes a cell, which reaches the terminal as a title does.
    if (!entries.refusal.empty())
        return CommandRefusal{sortivo::printable(entries.refusal), exitstatus::badInput};
    input.listText = std::move(entries.text);
    if (choice.keepRows) {
        input.source = table;
        input.sourceNames = sortivo::columnNames(table, choice.titles);
        input.entryRows = std::move(entries.entryRows);
    }
    return input;
}
