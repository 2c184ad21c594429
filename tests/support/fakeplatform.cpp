#include "support/fakeplatform.h"

#include <QDialog>
#include <QtTest>

FakePlatform::Step FakePlatform::makeStep(Kind kind, QStringList words)
{
    Step step;
    step.kind = kind;
    step.words = std::move(words);
    return step;
}

void FakePlatform::expectYesNo(const QString& text, bool answer)
{
    Step step = makeStep(Kind::YesNo, {text});
    step.yes = answer;
    m_script.push_back(std::move(step));
}

void FakePlatform::expectYesNo(const QRegularExpression& pattern, bool answer, QString* asked)
{
    Step step = makeStep(Kind::YesNo, {pattern.pattern()});
    step.yes = answer;
    step.pattern = pattern;
    step.asked = asked;
    m_script.push_back(std::move(step));
}

void FakePlatform::expectYesNoDefaultNo(const QString& text, bool answer)
{
    Step step = makeStep(Kind::YesNoDefaultNo, {text});
    step.yes = answer;
    m_script.push_back(std::move(step));
}

void FakePlatform::expectYesNoCancel(const QString& text, Answer answer)
{
    Step step = makeStep(Kind::YesNoCancel, {text});
    step.threeWay = answer;
    m_script.push_back(std::move(step));
}

void FakePlatform::expectInformation(const QString& title, const QString& text)
{
    m_script.push_back(makeStep(Kind::Information, {title, text}));
}

void FakePlatform::expectWarning(const QString& title, const QStringList& fragments)
{
    m_script.push_back(makeStep(Kind::Warning, QStringList{title} + fragments));
}

void FakePlatform::expectText(const QString& title, const QString& prompt,
                              const QString& defaultText, std::optional<QString> answer)
{
    Step step = makeStep(Kind::Text, {title, prompt, defaultText});
    step.answer = std::move(answer);
    m_script.push_back(std::move(step));
}

void FakePlatform::expectOpenFile(const QString& answer, std::function<void(const QString&)> check)
{
    Step step = makeStep(Kind::OpenFile, {});
    step.answer = answer;
    step.checkPath = std::move(check);
    m_script.push_back(std::move(step));
}

void FakePlatform::expectSaveFile(const QString& answer, std::function<void(const QString&)> check)
{
    Step step = makeStep(Kind::SaveFile, {});
    step.answer = answer;
    step.checkPath = std::move(check);
    m_script.push_back(std::move(step));
}

void FakePlatform::expectPrinter(std::function<bool(QPrinter&)> answer)
{
    Step step = makeStep(Kind::Printer, {});
    step.printer = std::move(answer);
    m_script.push_back(std::move(step));
}

void FakePlatform::expectModal(std::function<void(QDialog&)> action)
{
    Step step = makeStep(Kind::Modal, {});
    step.modal = std::move(action);
    m_script.push_back(std::move(step));
}

void FakePlatform::expectLaunch(Launch launch)
{
    Step step = makeStep(Kind::Launch, {});
    step.launch = std::move(launch);
    m_script.push_back(std::move(step));
}

void FakePlatform::fail(const QString& message)
{
    m_failed = true;
    QTest::qFail(qPrintable(message), __FILE__, __LINE__);
}

std::optional<FakePlatform::Step> FakePlatform::next(Kind kind, const QString& what)
{
    if (m_script.empty() || m_script.front().kind != kind) {
        fail(QStringLiteral("unexpected platform call: %1").arg(what));
        return std::nullopt;
    }
    Step step = std::move(m_script.front());
    m_script.pop_front();
    return step;
}

void FakePlatform::checkWords(const Step& step, const QStringList& words)
{
    if (step.words != words)
        fail(QStringLiteral("platform call with [%1], expected [%2]")
                 .arg(words.join(QLatin1String(" | ")), step.words.join(QLatin1String(" | "))));
}

bool FakePlatform::askYesNo(QWidget*, const QString& text)
{
    const auto step = next(Kind::YesNo, QStringLiteral("question \"%1\"").arg(text));
    if (!step)
        return false;
    if (!step->pattern)
        checkWords(*step, {text});
    else if (!step->pattern->match(text).hasMatch())
        fail(QStringLiteral("question \"%1\", expected one matching %2")
                 .arg(text, step->pattern->pattern()));
    if (step->asked)
        *step->asked = text;
    return step->yes;
}

bool FakePlatform::askYesNoDefaultNo(QWidget*, const QString& text)
{
    const auto step =
        next(Kind::YesNoDefaultNo, QStringLiteral("question \"%1\", No the default").arg(text));
    if (!step)
        return false;
    checkWords(*step, {text});
    return step->yes;
}

Platform::Answer FakePlatform::askYesNoCancel(QWidget*, const QString& text)
{
    const auto step = next(Kind::YesNoCancel, QStringLiteral("question \"%1\"").arg(text));
    if (!step)
        return Answer::Cancel;
    checkWords(*step, {text});
    return step->threeWay;
}

void FakePlatform::showInformation(QWidget*, const QString& title, const QString& text)
{
    const auto step = next(Kind::Information, QStringLiteral("information \"%1\"").arg(text));
    if (step)
        checkWords(*step, {title, text});
}

void FakePlatform::showWarning(QWidget*, const QString& title, const QString& text)
{
    const auto step = next(Kind::Warning, QStringLiteral("warning \"%1\"").arg(text));
    if (!step)
        return;
    if (step->words.value(0) != title)
        fail(QStringLiteral("warning titled \"%1\", expected \"%2\"").arg(title, step->words[0]));
    for (qsizetype i = 1; i < step->words.size(); ++i)
        if (!text.contains(step->words[i]))
            fail(QStringLiteral("warning \"%1\" lacks \"%2\"").arg(text, step->words[i]));
}

std::optional<QString> FakePlatform::askText(QWidget*, const QString& title, const QString& prompt,
                                             const QString& defaultText)
{
    const auto step = next(Kind::Text, QStringLiteral("input box \"%1\"").arg(prompt));
    if (!step)
        return std::nullopt;
    checkWords(*step, {title, prompt, defaultText});
    return step->answer;
}

QString FakePlatform::askOpenFileName(QWidget*, const QString& proposedPath,
                                      const QString& nameFilter)
{
    m_nameFilter = nameFilter;
    const auto step = next(Kind::OpenFile, QStringLiteral("open dialog"));
    if (!step)
        return {};
    if (step->checkPath)
        step->checkPath(proposedPath);
    return *step->answer;
}

QString FakePlatform::askSaveFileName(QWidget*, const QString& proposedPath,
                                      const QString& nameFilter)
{
    m_nameFilter = nameFilter;
    const auto step = next(Kind::SaveFile, QStringLiteral("save dialog"));
    if (!step)
        return {};
    if (step->checkPath)
        step->checkPath(proposedPath);
    return *step->answer;
}

bool FakePlatform::askPrinter(QWidget*, QPrinter& printer)
{
    const auto step = next(Kind::Printer, QStringLiteral("print dialog"));
    return step && step->printer(printer);
}

void FakePlatform::runModal(QDialog& dialog)
{
    const auto step = next(Kind::Modal, QStringLiteral("modal dialog %1").arg(dialog.objectName()));
    if (step && step->modal)
        step->modal(dialog);
}

bool FakePlatform::launchApplication(const QString& entryFile, const QString& url,
                                     std::function<void()> failedLater)
{
    const auto step = next(Kind::Launch, QStringLiteral("launch of %1").arg(entryFile));
    if (!step)
        return false;
    return step->launch ? step->launch(entryFile, url, std::move(failedLater)) : true;
}

void FakePlatform::setBusyCursor(bool busy)
{
    if (busy != m_busy)
        ++m_busyChanges;
    m_busy = busy;
}
