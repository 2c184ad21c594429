#pragma once

#include "core/proof/prizes.h"

#include <QString>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace sortivo
{
class ProofSession;
}

// One line of the palmarès as the audience reads it; its first `struck` characters are struck
// through.
struct PalmaresLine {
    QString text;
    qsizetype struck = 0;
};

// A session's palmarès as the audience screen shows it, line by line: each result in draw order,
// "3. Vélo : Dupont Marie" for a winner, "Suppléant 2 : Martin Léo" for a reserve, an absent one
// struck through with its reason after it, "Équipe 2 : Emma - Lucas" for a team, "4. Dupont" in
// a session without prizes; then each prize an absence put back in play, until it has a new
// winner: "Lot 5 : Vélo – remis en jeu (absent)". Who wins what is worked out once, when it is
// made; a line then costs only itself, whatever the number of results.
class PalmaresLines
{
public:
    PalmaresLines() = default;
    // Reads `session` as it stands; the lines read it again, so it must outlive them. Made again
    // whenever the session changes, a line of a result it no longer holds is empty.
    explicit PalmaresLines(const sortivo::ProofSession& session);

    std::size_t resultCount() const { return m_results; }
    // The lines while only the first `results` results are shown, the prizes put back included.
    std::size_t lineCount(std::size_t results) const;
    PalmaresLine line(std::size_t index, std::size_t results) const;

    // The whole text of a result, by its place in draw order.
    QString resultText(std::size_t result) const;
    // "Lot 3 : Vélo" for the prize a result won; empty for any other result.
    QString prizeLine(std::size_t result) const;

private:
    // A run's first result and first line among all of them.
    struct RunStart {
        std::size_t result;
        std::size_t line;
        std::size_t teamSize; // 0 outside team runs
    };
    std::size_t runOfResult(std::size_t result) const;
    std::size_t runOfLine(std::size_t line) const;
    QString prizeName(std::size_t prize) const;
    PalmaresLine resultLine(std::size_t result) const;
    PalmaresLine teamLine(std::size_t run, std::size_t team) const;

    const sortivo::ProofSession* m_session = nullptr;
    sortivo::PrizeAwards m_awards;
    std::vector<RunStart> m_runs;
    std::size_t m_results = 0;
    // Each prize an absence freed and nobody won since, with the reason of that absence.
    struct PutBack {
        std::size_t prize;
        std::string reason;
    };
    std::vector<PutBack> m_putBack;
};
