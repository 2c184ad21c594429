#include "cli/seedfile.h"

#include "core/io/atomicfile.h"
#include "core/proof/proofprotocol.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

constexpr std::string_view header = "sortivo-graine-1";
// Its lines of prizes aside, a seed file holds a few hundred bytes; a hundred thousand prizes
// still take a few megabytes. Past this, a file is read no further and is no seed file.
constexpr std::size_t largestSeedFile = std::size_t(64) << 20;

std::string seedFileText(const KeptSeed& kept)
{
    std::string text = std::string(header) + "\ngraine " + sortivo::toHex(kept.seed) +
                       "\nengagement " + sortivo::commitmentOf(kept.seed) + "\ncommunique " +
                       kept.communicatedAt + "\n";
    if (kept.list)
        text += "liste " + std::to_string(kept.list->count) + " " + kept.list->fingerprint + "\n";
    if (kept.onePrizePerPerson)
        text += "un_lot_par_personne\n";
    if (!kept.prizes.empty()) {
        const sortivo::CommunicatedPrizes shown = sortivo::communicatedPrizesOf(kept.prizes);
        text += "lots " + std::to_string(shown.count) + " " + shown.fingerprint + "\n";
        for (const std::string& prize : kept.prizes)
            text += "lot " + prize + "\n";
    }
    if (kept.runs > 0)
        text += "tirages " + std::to_string(kept.runs) + "\n";
    return text;
}

sortivo::Expected<void> putSeedFile(const std::string& path, const KeptSeed& kept,
                                    sortivo::AtomicFile::Existing existing)
{
    sortivo::FileSystem files;
    sortivo::AtomicFile file(path, files, S_IRUSR | S_IWUSR, existing);
    if (file.open() && file.write(seedFileText(kept)) && file.commit())
        return {};
    if (file.errorNumber() == EEXIST)
        return sortivo::Refusal{
            "Le fichier de graine existe déjà ; une graine engagée n'est jamais remplacée."};
    return sortivo::Refusal{"Impossible d'écrire le fichier de graine : " + file.error() + "."};
}

// The prizes after "lots": their count and fingerprint, the rest of that line, then one line
// "lot <prize>" each, which must give that count and fingerprint.
bool readPrizes(std::istream& lines, std::vector<std::string>& prizes)
{
    sortivo::CommunicatedPrizes shown;
    std::string rest;
    if (!(lines >> shown.count >> shown.fingerprint) || shown.count == 0 ||
        !std::getline(lines, rest) || !rest.empty())
        return false;
    std::string line;
    while (prizes.size() < shown.count && std::getline(lines, line) && line.starts_with("lot "))
        prizes.push_back(line.substr(4));
    const sortivo::CommunicatedPrizes read = sortivo::communicatedPrizesOf(prizes);
    return read.count == shown.count && read.fingerprint == shown.fingerprint;
}

} // namespace

sortivo::Expected<void> writeSeedFile(const std::string& path, const KeptSeed& kept)
{
    // Written whole beside its name, then put there in one step that fails if a file is
    // already there: a seed once committed is never replaced, nor a half seed ever left.
    return putSeedFile(path, kept, sortivo::AtomicFile::Existing::Refuse);
}

sortivo::Expected<void> rewriteSeedFile(const std::string& path, const KeptSeed& kept)
{
    return putSeedFile(path, kept, sortivo::AtomicFile::Existing::Replace);
}

sortivo::Expected<KeptSeed> readSeedFile(const std::string& path)
{
    // Not through a link, and without waiting on a pipe that nobody writes to.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) {
        return sortivo::Refusal{errno == ELOOP
                                    ? "Le fichier de graine est un lien symbolique : donnez le "
                                      "fichier lui-même."
                                    : "Impossible d'ouvrir le fichier de graine."};
    }
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return sortivo::Refusal{"Le fichier de graine n'est pas un fichier ordinaire."};
    }
    std::string text(4096, '\0');
    std::size_t size = 0;
    for (;;) {
        const ssize_t got = ::read(fd, text.data() + size, text.size() - size);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        size += std::size_t(got);
        if (size == largestSeedFile)
            break;
        if (size == text.size())
            text.resize(std::min(2 * text.size(), largestSeedFile));
    }
    ::close(fd);
    text.resize(size);

    std::istringstream lines(text);
    std::string first, seedKey, seedHex, commitKey, commitment, timeKey, time;
    std::getline(lines, first);
    lines >> seedKey >> seedHex >> commitKey >> commitment >> timeKey >> time;
    const std::optional<sortivo::Digest> seed = sortivo::digestFromHex(seedHex);
    KeptSeed kept{seed.value_or(sortivo::Seed{}), time, std::nullopt, false, {}, 0};
    // Then the list committed with it, the rule, the prizes and the runs drawn, each at most
    // once, in that order; files from before the rule or the prizes have no such line.
    bool wellFormed = true;
    std::string key;
    while (wellFormed && lines >> key) {
        if (key == "liste" && !kept.list && !kept.onePrizePerPerson && kept.prizes.empty() &&
            kept.runs == 0) {
            sortivo::CommunicatedList list;
            wellFormed = bool(lines >> list.count >> list.fingerprint) &&
                         sortivo::digestFromHex(list.fingerprint).has_value();
            kept.list = std::move(list);
        } else if (key == "un_lot_par_personne" && !kept.onePrizePerPerson && kept.prizes.empty() &&
                   kept.runs == 0) {
            kept.onePrizePerPerson = true;
        } else if (key == "lots" && kept.prizes.empty() && kept.runs == 0) {
            wellFormed = readPrizes(lines, kept.prizes);
        } else if (key == "tirages" && kept.runs == 0) {
            wellFormed = bool(lines >> kept.runs) && kept.runs > 0;
        } else {
            wellFormed = false;
        }
    }
    if (first != header || seedKey != "graine" || commitKey != "engagement" ||
        timeKey != "communique" || !seed || time.empty() || !wellFormed) {
        return sortivo::Refusal{"Ce fichier n'est pas un fichier de graine de Sortivo."};
    }
    // A seed that does not give the commitment shown would make the record fail its check.
    if (sortivo::commitmentOf(*seed) != commitment) {
        return sortivo::Refusal{
            "Le fichier de graine est abîmé : la graine ne donne pas son engagement."};
    }
    // A seed that others could read before the draw proves nothing to them.
    if ((info.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
        return sortivo::Refusal{
            "Le fichier de graine est lisible ou modifiable par d'autres que vous : sa "
            "graine ne prouve plus rien (chmod 600)."};
    }
    return kept;
}
