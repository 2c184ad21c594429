#include "core/proof/listcommitment.h"

namespace sortivo
{

CommunicatedListCheck::CommunicatedListCheck(const CommunicatedList& list,
                                             std::string communicatedAt)
    : m_communicatedAt(std::move(communicatedAt)), m_accepted{list.fingerprint}
{
}

bool CommunicatedListCheck::changed(std::string_view fingerprint) const
{
    return !m_accepted.contains(fingerprint);
}

} // namespace sortivo
