#include "widgets/drawcountchoice.h"

#include "widgets/numberrangemodel.h"

#include <QComboBox>

#include <algorithm>

namespace
{
constexpr int highestNumberOffered = 1000;
} // namespace

DrawCountChoice::DrawCountChoice(QComboBox& combo)
    : QObject(&combo), m_combo(combo), m_model(new NumberRangeModel(&combo))
{
    m_combo.setModel(m_model);
    m_combo.setCurrentIndex(-1);
}

void DrawCountChoice::offerEntries(int entries)
{
    offer(1, entries);
}

void DrawCountChoice::offerNumbers(int last)
{
    offer(2, std::min(last, highestNumberOffered));
}

int DrawCountChoice::chosen() const
{
    const int index = m_combo.currentIndex();
    return index < 0 ? 0 : m_combo.itemText(index).toInt();
}

void DrawCountChoice::offer(int first, int last)
{
    m_model->setRange(first, last);
    m_combo.setCurrentIndex(-1);
}
