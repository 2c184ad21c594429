#pragma once

#include "platform/platform.h"
#include "support/failingfiles.h"

#include <QList>
#include <QRegularExpression>

#include <deque>
#include <functional>

// A platform whose every dialog answer is scripted by the test. A call that the script does
// not expect, or one with other words than expected, fails the running test.
class FakePlatform final : public Platform
{
public:
    void expectYesNo(const QString& text, bool answer);
    // A question whose words hold figures the test cannot know: they must match `pattern`,
    // and `asked` gets them.
    void expectYesNo(const QRegularExpression& pattern, bool answer, QString* asked = nullptr);
    // A question whose default button is No.
    void expectYesNoDefaultNo(const QString& text, bool answer);
    void expectYesNoCancel(const QString& text, Answer answer);
    void expectInformation(const QString& title, const QString& text);
    // The warning's text must contain every fragment (a file's path, say).
    void expectWarning(const QString& title, const QStringList& fragments);
    void expectText(const QString& title, const QString& prompt, const QString& defaultText,
                    std::optional<QString> answer);
    // `check` sees the proposed path; the dialog then answers `answer` ("" = cancelled).
    void expectOpenFile(const QString& answer,
                        std::function<void(const QString& proposed)> check = {});
    void expectSaveFile(const QString& answer,
                        std::function<void(const QString& proposed)> check = {});
    void expectPrinter(std::function<bool(QPrinter&)> answer);
    void expectModal(std::function<void(QDialog&)> action);
    // `launch` sees the desktop entry, the address and what to call on a later failure, and
    // decides what happens; the default pretends the application started.
    using Launch = std::function<bool(const QString&, const QString&, std::function<void()>)>;
    void expectLaunch(Launch launch = {});
    // The files written from now on fail at `step` with `error` (after `writeBudget` bytes
    // when the step is the write); FailingFiles::Step::Nothing writes them again.
    void failFiles(FailingFiles::Step step, int error = EIO, std::size_t writeBudget = 0)
    {
        m_files = FailingFiles(step, error, writeBudget);
    }

    // True when every scripted call came and nothing else did.
    bool done() const { return m_script.empty() && !m_failed; }
    bool busy() const { return m_busy; }
    // The filters the last file dialog offered, ";;" between them, the first shown first.
    const QString& lastNameFilter() const { return m_nameFilter; }
    int busyChanges() const { return m_busyChanges; }

    bool askYesNo(QWidget* parent, const QString& text) override;
    bool askYesNoDefaultNo(QWidget* parent, const QString& text) override;
    Answer askYesNoCancel(QWidget* parent, const QString& text) override;
    void showInformation(QWidget* parent, const QString& title, const QString& text) override;
    void showWarning(QWidget* parent, const QString& title, const QString& text) override;
    std::optional<QString> askText(QWidget* parent, const QString& title, const QString& prompt,
                                   const QString& defaultText) override;
    QString askOpenFileName(QWidget* parent, const QString& proposedPath,
                            const QString& nameFilter) override;
    QString askSaveFileName(QWidget* parent, const QString& proposedPath,
                            const QString& nameFilter) override;
    bool askPrinter(QWidget* parent, QPrinter& printer) override;
    void runModal(QDialog& dialog) override;
    bool launchApplication(const QString& entryFile, const QString& url,
                           std::function<void()> failedLater) override;
    void setBusyCursor(bool busy) override;
    sortivo::FileSystem& files() override { return m_files; }

private:
    enum class Kind {
        YesNo,
        YesNoDefaultNo,
        YesNoCancel,
        Information,
        Warning,
        Text,
        OpenFile,
        SaveFile,
        Printer,
        Modal,
        Launch
    };
    struct Step {
        Kind kind = Kind::YesNo;
        QStringList words;
        bool yes = false;
        Answer threeWay = Answer::Cancel;
        std::optional<QString> answer;
        std::function<void(const QString&)> checkPath;
        std::function<bool(QPrinter&)> printer;
        std::function<void(QDialog&)> modal;
        Launch launch;
        std::optional<QRegularExpression> pattern;
        QString* asked = nullptr;
    };

    static Step makeStep(Kind kind, QStringList words = {});
    // The next step if it is of `kind`; otherwise fails the test and returns nothing.
    std::optional<Step> next(Kind kind, const QString& what);
    void fail(const QString& message);
    void checkWords(const Step& step, const QStringList& words);

    std::deque<Step> m_script;
    bool m_failed = false;
    bool m_busy = false;
    int m_busyChanges = 0;
    QString m_nameFilter;
    FailingFiles m_files;
};
