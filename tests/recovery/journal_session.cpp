// A session played in a process of its own, for the kill test (kill_test.py), which kills it
// with SIGKILL at some point and then starts it again to take the session up.
//
//   journal_session jouer JOURNAUX LISTE       plays the session; each line printed on
//                                              standard output says, with the milliseconds
//                                              since the start, something the window showed
//   journal_session reprendre JOURNAUX DOSSIER  takes up the session left, writes the boxes'
//                                              texts to DOSSIER/liste.txt and resultats.txt,
//                                              saves the record to DOSSIER/pv.json and closes
//
// The answers a user would give come from a platform of its own: Yes to taking up the session,
// No to every other question.

#include "app/mainwindow.h"
#include "app/startup.h"
#include "core/io/atomicfile.h"
#include "platform/platform.h"
#include "session/busystate.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCryptographicHash>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QTimer>

#include <cstdio>
#include <deque>
#include <functional>
#include <memory>

namespace
{

QElapsedTimer sinceStart;

void say(const QString& what)
{
    std::printf("%lld %s\n", static_cast<long long>(sinceStart.elapsed()), qPrintable(what));
    std::fflush(stdout);
}

class ScriptPlatform final : public Platform
{
public:
    std::function<void(QDialog&)> modal;
    QString openPath;
    QString savePath;
    bool resumeAsked = false;

    bool askYesNo(QWidget*, const QString& text) override
    {
        if (!text.startsWith(QStringLiteral("Sortivo s'est fermé")))
            return false;
        resumeAsked = true;
        say(QStringLiteral("question ") + text);
        return true;
    }
    bool askYesNoDefaultNo(QWidget*, const QString&) override { return false; }
    Answer askYesNoCancel(QWidget*, const QString&) override { return Answer::No; }
    void showInformation(QWidget*, const QString&, const QString&) override {}
    void showWarning(QWidget*, const QString&, const QString& text) override
    {
        say(QStringLiteral("avertissement ") + QString(text).replace(QLatin1Char('\n'), u' '));
    }
    std::optional<QString> askText(QWidget*, const QString&, const QString&,
                                   const QString&) override
    {
        return std::nullopt;
    }
    QString askOpenFileName(QWidget*, const QString&, const QString&) override { return openPath; }
    QString askSaveFileName(QWidget*, const QString&, const QString&) override { return savePath; }
    bool askPrinter(QWidget*, QPrinter&) override { return false; }
    void runModal(QDialog& dialog) override
    {
        if (modal)
            modal(dialog);
    }
    bool launchApplication(const QString&, const QString&, std::function<void()>) override
    {
        return false;
    }
    void setBusyCursor(bool) override {}
    sortivo::FileSystem& files() override { return m_files; }

private:
    sortivo::FileSystem m_files;
};

template <typename T> T* control(QWidget& window, const QString& name)
{
    T* found = window.findChild<T*>(name);
    if (!found)
        qFatal("no control named %s", qPrintable(name));
    return found;
}

QString digest(const QString& text)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha256).toHex());
}

// Steps played one after the other, each once the window is done with the one before.
class Script
{
public:
    Script(MainWindow& window, ScriptPlatform& platform) : m_window(window), m_platform(platform) {}
    void add(std::function<void()> step) { m_steps.push_back(std::move(step)); }
    void run()
    {
        QTimer::singleShot(0, [this] { next(); });
    }

    QPlainTextEdit& list() const { return *control<QPlainTextEdit>(m_window, "txtListe"); }
    QPlainTextEdit& results() const { return *control<QPlainTextEdit>(m_window, "txtResult"); }
    QPushButton& button(const QString& name) const { return *control<QPushButton>(m_window, name); }
    void draw(int mode)
    {
        say(QStringLiteral("clic %1").arg(mode));
        button(QStringLiteral("cmdGo(%1)").arg(mode)).click();
        afterRun([this] {
            const QTextDocument& box = *results().document();
            say(QStringLiteral("tirage %1 %2")
                    .arg(box.isEmpty() ? 0 : box.blockCount())
                    .arg(digest(box.toPlainText())));
        });
    }
    void type(const QString& lines)
    {
        QTextCursor cursor(list().document());
        cursor.movePosition(QTextCursor::End);
        cursor.insertText((list().document()->isEmpty() ? QString() : QStringLiteral("\n")) +
                          lines);
        say(QStringLiteral("ajout ") + QString(lines).replace(QLatin1Char('\n'), u','));
    }
    // What the step just begun shows is told once the window's run has ended.
    void afterRun(std::function<void()> told) { m_told = std::move(told); }
    // The next step waits this long after this one.
    void pause(qint64 ms) { m_resumeAt = sinceStart.elapsed() + ms; }

private:
    void next()
    {
        if (m_window.busyState().running() || sinceStart.elapsed() < m_resumeAt) {
            QTimer::singleShot(5, [this] { next(); });
            return;
        }
        if (m_told)
            std::exchange(m_told, {})();
        if (m_steps.empty())
            return;
        auto step = std::move(m_steps.front());
        m_steps.pop_front();
        step();
        QTimer::singleShot(0, [this] { next(); });
    }

    MainWindow& m_window;
    ScriptPlatform& m_platform;
    std::deque<std::function<void()>> m_steps;
    std::function<void()> m_told;
    qint64 m_resumeAt = 0;
};

void play(Script& script, ScriptPlatform& platform, const QString& listFile)
{
    script.add([&script, &platform, listFile] {
        platform.openPath = listFile;
        script.button(QStringLiteral("cmdOpen")).click();
        script.afterRun([&script] {
            say(QStringLiteral("ouverture %1").arg(script.list().document()->blockCount()));
        });
    });
    script.add([&script, &platform] {
        platform.modal = [](QDialog& dialog) {
            control<QPushButton>(dialog, QStringLiteral("cmdMontrer"))->click();
            auto* value = control<QLineEdit>(dialog, QStringLiteral("txtValeurPublique"));
            value->setText(QStringLiteral("dés 6 2"));
            emit value->textEdited(value->text());
        };
        script.button(QStringLiteral("cmdPreuve")).click();
        // The screen that shows the commitment would roll each short draw's results, and the
        // next click would only end the roll.
        control<QCheckBox>(*script.list().window(), QStringLiteral("chkAnimation"))
            ->setChecked(false);
        say(QStringLiteral("engagement"));
    });
    script.add([&script] { script.draw(1); });
    script.add([&script] {
        control<QComboBox>(*script.list().window(), QStringLiteral("cmbNbTirage"))
            ->setCurrentIndex(4);
        script.draw(0);
    });
    script.add([&script] { script.type(QStringLiteral("Ajout 1")); });
    // Long enough for the edit to be written on its own.
    script.add([&script] { script.pause(2300); });
    script.add([&script] { script.draw(2); });
    script.add([&script] {
        QStringList team;
        for (int i = 1; i <= 12; ++i)
            team << QStringLiteral("T%1").arg(i, 2, 10, QLatin1Char('0'));
        script.type(team.join(QLatin1Char('\n')));
    });
    script.add([&script] { script.draw(3); });
    script.add([&script] { script.type(QStringLiteral("Fin")); });
    script.add([&script] { script.draw(1); });
    script.add([] { say(QStringLiteral("fin")); });
}

bool writeText(const QString& path, const QString& text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) >= 0;
}

} // namespace

int main(int argc, char* argv[])
{
    sinceStart.start();
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() != 4 ||
        (args[1] != QLatin1String("jouer") && args[1] != QLatin1String("reprendre")))
        qFatal("usage: journal_session jouer|reprendre JOURNAUX LISTE|DOSSIER");
    const QString journals = args[2];

    ScriptPlatform platform;
    if (args[1] == QLatin1String("jouer")) {
        const auto window = startMainWindow(platform, QString(), QString(), journals);
        Script script(*window, platform);
        play(script, platform, args[3]);
        script.run();
        return app.exec();
    }

    const QString folder = args[3];
    platform.savePath = folder + QStringLiteral("/pv.json");
    const auto window = startMainWindow(platform, QString(), QString(), journals);
    if (!platform.resumeAsked) {
        say(QStringLiteral("rien"));
        return 0;
    }
    Script script(*window, platform);
    if (!writeText(folder + QStringLiteral("/liste.txt"), script.list().toPlainText()) ||
        !writeText(folder + QStringLiteral("/resultats.txt"), script.results().toPlainText()))
        qFatal("cannot write the boxes' texts");
    platform.modal = [](QDialog& dialog) {
        control<QPushButton>(dialog, QStringLiteral("cmdEnregistrerPV"))->click();
    };
    script.button(QStringLiteral("cmdPreuve")).click();
    window->close();
    say(QStringLiteral("repris"));
    return 0;
}
