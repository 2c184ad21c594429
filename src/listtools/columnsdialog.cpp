#include "listtools/columnsdialog.h"

#include "listtools/entrycounter.h"
#include "platform/platform.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace
{

constexpr std::size_t previewRows = 20;

QString text(std::string_view utf8)
{
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

} // namespace

ColumnsDialog::ColumnsDialog(std::vector<sortivo::Sheet>& sheets,
                             const sortivo::ColumnChoice& choice, sortivo::TableEntries entries,
                             const std::string* delimitedText, char separator, Platform& platform,
                             QWidget* parent)
    : QDialog(parent), m_sheets(sheets), m_platform(platform), m_sheetChoice(new QComboBox(this)),
      m_separator(new QComboBox(this)), m_preview(new QTableWidget(this)),
      m_titles(new QCheckBox(QStringLiteral("La première ligne contient les titres"), this)),
      m_columns(new QListWidget(this)), m_ticketCount(new QComboBox(this)),
      m_example(new QLabel(this)), m_count(new QLabel(this)),
      m_dropDuplicates(new QCheckBox(QStringLiteral("Ne garder qu'une fois chaque entrée"), this)),
      m_ok(new QPushButton(QStringLiteral("OK"), this)),
      m_counter(new EntryCounter(sheets, delimitedText, this)), m_entries(std::move(entries))
{
    setObjectName(QStringLiteral("frmColonnes"));
    setWindowTitle(QStringLiteral("Colonnes de la liste"));
    setModal(true);
    m_sheetChoice->setObjectName(QStringLiteral("cmbFeuille"));
    m_separator->setObjectName(QStringLiteral("cmbSeparateur"));
    m_preview->setObjectName(QStringLiteral("tblApercu"));
    m_titles->setObjectName(QStringLiteral("chkTitres"));
    m_columns->setObjectName(QStringLiteral("lstColonnes"));
    m_ticketCount->setObjectName(QStringLiteral("cmbBillets"));
    m_example->setObjectName(QStringLiteral("lblExemple"));
    m_count->setObjectName(QStringLiteral("lblDecompte"));
    m_dropDuplicates->setObjectName(QStringLiteral("chkDoublons"));
    m_ok->setObjectName(QStringLiteral("cmdOK"));
    m_ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Annuler"), this);
    cancel->setObjectName(QStringLiteral("cmdAnnuler"));

    m_preview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_example->setTextFormat(Qt::PlainText);
    m_count->setTextFormat(Qt::PlainText);
    for (const sortivo::Sheet& sheet : m_sheets)
        m_sheetChoice->addItem(text(sheet.name));
    for (const auto& [name, character] :
         {std::pair(QStringLiteral(";"), ';'), std::pair(QStringLiteral(","), ','),
          std::pair(QStringLiteral("tabulation"), '\t'),
          std::pair(QStringLiteral("aucun"), sortivo::noSeparator)})
        m_separator->addItem(name, int(character));
    m_separator->setCurrentIndex(std::max(0, m_separator->findData(int(separator))));

    auto* layout = new QVBoxLayout(this);
    auto* sheetRow = new QHBoxLayout;
    auto* sheetLabel = new QLabel(QStringLiteral("&Feuille :"), this);
    sheetLabel->setBuddy(m_sheetChoice);
    sheetRow->addWidget(sheetLabel);
    sheetRow->addWidget(m_sheetChoice, 1);
    auto* separatorLabel = new QLabel(QStringLiteral("&Séparateur :"), this);
    separatorLabel->setBuddy(m_separator);
    sheetRow->addWidget(separatorLabel);
    sheetRow->addWidget(m_separator, 1);
    layout->addLayout(sheetRow);
    // Only a workbook of several sheets offers the choice.
    sheetLabel->setVisible(m_sheets.size() > 1);
    m_sheetChoice->setVisible(m_sheets.size() > 1);
    // The separator was guessed from the file's lines: the user sees the guess and may undo it.
    separatorLabel->setVisible(delimitedText != nullptr);
    m_separator->setVisible(delimitedText != nullptr);
    layout->addWidget(m_preview, 2);
    layout->addWidget(m_titles);
    auto* columnsLabel = new QLabel(QStringLiteral("C&olonnes de l'entrée :"), this);
    columnsLabel->setBuddy(m_columns);
    layout->addWidget(columnsLabel);
    layout->addWidget(m_columns, 1);
    auto* ticketsRow = new QHBoxLayout;
    auto* ticketsLabel = new QLabel(QStringLiteral("Nombre de &billets :"), this);
    ticketsLabel->setBuddy(m_ticketCount);
    ticketsRow->addWidget(ticketsLabel);
    ticketsRow->addWidget(m_ticketCount, 1);
    layout->addLayout(ticketsRow);
    layout->addWidget(m_example);
    layout->addWidget(m_count);
    layout->addWidget(m_dropDuplicates);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    resize(640, 560);

    connect(m_ok, &QPushButton::clicked, this, &ColumnsDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_sheetChoice, &QComboBox::currentIndexChanged, this, &ColumnsDialog::chooseSheet);
    connect(m_separator, &QComboBox::currentIndexChanged, this, &ColumnsDialog::chooseSeparator);
    connect(m_counter, &EntryCounter::separatorRead, this, &ColumnsDialog::separatorRead);
    connect(m_titles, &QCheckBox::toggled, this, [this] {
        const bool titles = m_titles->isChecked();
        const std::vector<std::string> names = sortivo::columnNames(table(), titles);
        const std::optional<std::size_t> count = sortivo::proposedTicketCount(table(), titles);
        const std::vector<std::size_t> chosen = sortivo::defaultColumns(table(), titles, count);
        const QSignalBlocker blocker(m_columns);
        for (int row = 0; row < m_columns->count(); ++row) {
            QListWidgetItem* item = m_columns->item(row);
            item->setText(text(names[std::size_t(row)]));
            item->setCheckState(std::find(chosen.begin(), chosen.end(), std::size_t(row)) !=
                                        chosen.end()
                                    ? Qt::Checked
                                    : Qt::Unchecked);
        }
        showTicketCounts(names, count);
        recount();
    });
    connect(m_columns, &QListWidget::itemChanged, this, &ColumnsDialog::recount);
    connect(m_ticketCount, &QComboBox::currentIndexChanged, this, &ColumnsDialog::recount);
    // The count holds the duplicates: keeping them or not changes only the words.
    connect(m_dropDuplicates, &QCheckBox::toggled, this, &ColumnsDialog::showEntries);
    connect(m_counter, &EntryCounter::counted, this, &ColumnsDialog::counted);
    showSheet(choice);
    showEntries();
}

ColumnsDialog::~ColumnsDialog()
{
    setBusy(false);
}

const sortivo::CellTable& ColumnsDialog::table() const
{
    return m_sheets[sheetIndex()].table;
}

std::size_t ColumnsDialog::sheetIndex() const
{
    return std::size_t(std::max(0, m_sheetChoice->currentIndex()));
}

bool ColumnsDialog::titles() const
{
    return m_titles->isChecked();
}

sortivo::ColumnChoice ColumnsDialog::choice() const
{
    sortivo::ColumnChoice chosen;
    chosen.titles = m_titles->isChecked();
    chosen.dropDuplicates = m_dropDuplicates->isChecked();
    // Each entry's row, for the palmarès to show a winner's whole row.
    chosen.keepRows = true;
    if (const int column = m_ticketCount->currentData().toInt(); column >= 0)
        chosen.ticketCount = std::size_t(column);
    for (int row = 0; row < m_columns->count(); ++row)
        if (m_columns->item(row)->checkState() == Qt::Checked)
            chosen.columns.push_back(std::size_t(row));
    chosen.columns = sortivo::ticketNumbersFirst(table(), chosen.titles, std::move(chosen.columns),
                                                 chosen.ticketCount);
    return chosen;
}

sortivo::TableEntries ColumnsDialog::takeEntries()
{
    sortivo::TableEntries entries = std::move(m_entries.value());
    m_entries.reset();
    if (m_dropDuplicates->isChecked())
        sortivo::dropDuplicates(entries);
    return entries;
}

void ColumnsDialog::accept()
{
    if (!m_entries) {
        m_acceptWhenCounted = true;
        return;
    }
    if (takesEntries() && dropsOnlyTrueDuplicates())
        QDialog::accept();
}

bool ColumnsDialog::dropsOnlyTrueDuplicates()
{
    if (!m_dropDuplicates->isChecked())
        return true;
    const std::optional<std::string> warning =
        sortivo::homonymWarning(*m_entries, sortivo::columnNames(table(), m_titles->isChecked()));
    // Entrants lost by a Yes cannot be had back from the list: No is the default.
    return !warning || m_platform.askYesNoDefaultNo(this, text(*warning));
}

bool ColumnsDialog::takesEntries() const
{
    return m_entries && m_entries->count > 0 && m_entries->refusal.empty() &&
           m_unclosedQuoteLine == 0 && m_refusal.isEmpty();
}

void ColumnsDialog::chooseSheet()
{
    showSheet(sortivo::proposedChoice(table()));
    recount();
}

void ColumnsDialog::chooseSeparator()
{
    m_entries.reset();
    setBusy(true);
    // The titles and columns shown are those of the table being replaced.
    enableTableControls(false);
    m_counter->reread(char(m_separator->currentData().toInt()));
}

void ColumnsDialog::separatorRead(const sortivo::ColumnChoice& choice,
                                  std::size_t unclosedQuoteLine, const std::string& refusal)
{
    m_unclosedQuoteLine = unclosedQuoteLine;
    m_refusal = text(refusal);
    showSheet(choice);
    enableTableControls(true);
}

void ColumnsDialog::enableTableControls(bool enabled)
{
    m_preview->setEnabled(enabled);
    m_titles->setEnabled(enabled);
    m_columns->setEnabled(enabled);
    m_ticketCount->setEnabled(enabled);
}

void ColumnsDialog::showSheet(const sortivo::ColumnChoice& choice)
{
    const sortivo::CellTable& cells = table();
    const std::size_t rows = std::min(previewRows, cells.rowCount());
    m_preview->clear();
    m_preview->setRowCount(int(rows));
    m_preview->setColumnCount(int(cells.columnCount()));
    for (std::size_t row = 0; row < rows; ++row)
        for (std::size_t column = 0; column < cells.columnCount(); ++column)
            m_preview->setItem(int(row), int(column),
                               new QTableWidgetItem(text(cells.cell(row, column))));
    m_preview->resizeColumnsToContents();

    const std::vector<std::string> names = sortivo::columnNames(cells, choice.titles);
    showTicketCounts(names, choice.ticketCount);
    const QSignalBlocker titlesBlocker(m_titles);
    const QSignalBlocker columnsBlocker(m_columns);
    m_titles->setChecked(choice.titles);
    m_columns->clear();
    for (std::size_t column = 0; column < names.size(); ++column) {
        auto* item = new QListWidgetItem(text(names[column]), m_columns);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        item->setCheckState(std::find(choice.columns.begin(), choice.columns.end(), column) !=
                                    choice.columns.end()
                                ? Qt::Checked
                                : Qt::Unchecked);
    }
}

void ColumnsDialog::showTicketCounts(const std::vector<std::string>& names,
                                     std::optional<std::size_t> chosen)
{
    const QSignalBlocker blocker(m_ticketCount);
    m_ticketCount->clear();
    m_ticketCount->addItem(QStringLiteral("(aucune : une ligne par entrée)"), -1);
    for (std::size_t column = 0; column < names.size(); ++column)
        m_ticketCount->addItem(text(names[column]), int(column));
    m_ticketCount->setCurrentIndex(chosen ? int(*chosen) + 1 : 0);
}

void ColumnsDialog::recount()
{
    m_entries.reset();
    setBusy(true);
    m_counter->count(sheetIndex(), choice());
}

void ColumnsDialog::counted(std::shared_ptr<sortivo::TableEntries> entries)
{
    m_entries = std::move(*entries);
    setBusy(false);
    showEntries();
    if (std::exchange(m_acceptWhenCounted, false))
        accept();
}

void ColumnsDialog::showEntries()
{
    // While a new choice is counted, the last counts stay in view.
    if (!m_entries)
        return;
    // A refused count leaves no entry: the last example stays.
    if (m_entries->refusal.empty())
        m_example->setText(QStringLiteral("Exemple : ") + text(m_entries->first()));
    QString count = m_entries->refusal.empty()
                        ? text(sortivo::countLine(*m_entries, m_dropDuplicates->isChecked(),
                                                  m_unclosedQuoteLine))
                        : text(m_entries->refusal);
    if (!m_refusal.isEmpty())
        count += QStringLiteral(" · ") + m_refusal;
    m_count->setText(count);
    m_ok->setEnabled(takesEntries());
}

void ColumnsDialog::setBusy(bool busy)
{
    if (busy == m_busy)
        return;
    m_busy = busy;
    m_platform.setBusyCursor(busy);
}
