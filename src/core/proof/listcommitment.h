#pragma once

#include <cstddef>
#include <set>
#include <string>
#include <string_view>

namespace sortivo
{

// The list shown with the commitment: its entry count, for people, and its fingerprint, which
// is what decides.
struct CommunicatedList {
    std::size_t count = 0;
    std::string fingerprint;
};

// Which runs drew from a list other than the communicated one or what earlier runs left of it.
// Runs are handed over in their order. A covered run is unchanged when its fingerprint is the
// communicated list's or that of the entries left by an unchanged covered run before it; what
// a changed run leaves stays changed. The record's checkers apply the same rule.
class CommunicatedListCheck
{
public:
    // `communicatedAt` is the record's time of the communication.
    CommunicatedListCheck(const CommunicatedList& list, std::string communicatedAt);

    // Runs dated from the second of the communication on; earlier ones are shown as made
    // before it.
    bool covers(std::string_view runDate) const { return runDate >= m_communicatedAt; }
    bool changed(std::string_view fingerprint) const;
    // The fingerprint of what an unchanged covered run left.
    void leftBehind(std::string fingerprint) { m_accepted.insert(std::move(fingerprint)); }

private:
    std::string m_communicatedAt;
    std::set<std::string, std::less<>> m_accepted;
};

} // namespace sortivo
