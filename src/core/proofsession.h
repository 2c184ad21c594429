#pragma once

#include "core/drawrun.h"
#include "core/entrylist.h"
#include "core/proofprotocol.h"
#include "core/stringlist.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace sortivo
{

// The four draw buttons, by their index.
enum class DrawMode { Chosen = 0, One = 1, All = 2, Teams = 3 };

// What one click asks for.
struct DrawRequest {
    DrawMode mode;
    // Draws the run makes at most: the chosen number, 1, or every entry.
    std::int32_t drawCount;
    // 0 outside team mode.
    int teamSize;
};

// One run as the record keeps it.
struct RunRecord {
    std::int64_t number;
    std::string date;
    DrawRequest request;
    // Made before the commitment was shown to anyone: it proves nothing to the audience.
    bool beforeCommunication;
    // Nothing when they are exactly the entries the previous run left, so a long list that is
    // drawn from click after click is kept, and written, once.
    std::shared_ptr<const EntryList> entries;
    std::size_t entryCount;
    std::string fingerprint;
    StringList results;
    bool stopped;
};

// One seed and the runs drawn from it, from the moment its commitment exists until the
// record that reveals the seed is saved. Every run of the program goes through a session:
// there is no draw that cannot be proved afterwards.
class ProofSession
{
public:
    explicit ProofSession(const Seed& seed);

    const Seed& seed() const { return m_seed; }
    const std::string& commitment() const { return m_commitment; }

    // The value the audience supplies; fixed once the first run has started.
    const std::string& publicValue() const { return m_publicValue; }
    bool publicValueLocked() const { return m_openRun.has_value() || !m_runs.empty(); }
    // Returns false, changing nothing, once the value is locked.
    bool setPublicValue(std::string value);

    // When the commitment was first shown, copied or printed; later calls change nothing.
    void noteCommunicated(const std::string& time);
    const std::optional<std::string>& communicatedAt() const { return m_communicatedAt; }

    // Starts the next run and gives it the words its key yields. `date` is when it starts.
    DrawRun beginRun(EntryList entries, std::string resultText, const DrawRequest& request,
                     std::string date);
    // Records what `run` drew, however far it got, taking its list of drawn entries. A run
    // the session did not begin (the session was replaced meanwhile) is ignored.
    void endRun(DrawRun& run);
    bool runInProgress() const { return m_openRun.has_value(); }

    // The runs ended so far, numbered from 1.
    const std::vector<RunRecord>& runs() const { return m_runs; }
    // Whether closing now would lose runs the audience was promised a record of.
    bool hasRunsSinceCommunication() const;

private:
    Seed m_seed;
    std::string m_commitment;
    std::string m_publicValue;
    std::optional<std::string> m_communicatedAt;
    std::vector<RunRecord> m_runs;
    std::optional<RunRecord> m_openRun;
    // Of the entries the last ended run left, to know the next run's entries without
    // comparing a whole list.
    std::string m_leftoverFingerprint;
};

} // namespace sortivo
