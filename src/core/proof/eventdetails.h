#pragma once

#include <string>
#include <vector>

namespace sortivo
{

// Someone present at the draw and in what capacity ("commissaire de justice", "témoin"), who
// signs the procès-verbal.
struct Witness {
    std::string name;
    std::string capacity;
    bool operator==(const Witness&) const = default;
};

// What the organiser tells of the event, for the procès-verbal: outside the randomness, every
// field optional.
struct EventDetails {
    std::string organizer;
    std::string place;
    std::string rules;
    // The SHA-256 of the rules' file, in hex, when one was chosen.
    std::string rulesSha256;
    std::string authorization;
    std::vector<Witness> witnesses;

    bool empty() const
    {
        return organizer.empty() && place.empty() && rules.empty() && rulesSha256.empty() &&
               authorization.empty() && witnesses.empty();
    }
    bool operator==(const EventDetails&) const = default;
};

// A session a crash interrupted and a later start took up, both ISO 8601 UTC times: the last
// moment its journal was written, and when it was taken up.
struct Resumption {
    std::string interrupted;
    std::string resumed;
    bool operator==(const Resumption&) const = default;
};

} // namespace sortivo
