#include "app/qtplatform.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <functional>

// The real question box of the program, answered by mouse and keyboard as a user would.

namespace
{

const QString question = QStringLiteral("Effacer d'abord les résultats ?");

} // namespace

class TestPlatform : public QObject
{
    Q_OBJECT
private slots:
    void questionAnswers_data();
    void questionAnswers();
    void questionWithoutAnswerStaysOpen();
};

void TestPlatform::questionAnswers_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("defaultNo");
    QTest::addColumn<bool>("yes");

    QTest::newRow("late click on Yes") << "late click Yes" << false << true;
    QTest::newRow("late click on No") << "late click No" << false << false;
    QTest::newRow("a click at once is ignored, a late one answers")
        << "early click Yes, late click No" << false << false;
    QTest::newRow("a double click at once is ignored")
        << "early double click Yes, late click No" << false << false;
    QTest::newRow("Enter at once takes the default button") << "key Enter" << false << true;
    QTest::newRow("Escape at once is No") << "key Escape" << false << false;
    QTest::newRow("No the default: Enter is No") << "key Enter" << true << false;
    QTest::newRow("No the default: a late click on Yes") << "late click Yes" << true << true;
}

void TestPlatform::questionAnswers()
{
    QFETCH(QString, how);
    QFETCH(bool, defaultNo);
    QFETCH(bool, yes);

    QtPlatform platform;
    bool checked = false;
    QTimer::singleShot(0, this, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        QCOMPARE(box->text(), question);
        QCOMPARE(box->defaultButton(), box->button(defaultNo ? QMessageBox::No : QMessageBox::Yes));
        QAbstractButton* yesButton = box->button(QMessageBox::Yes);
        QAbstractButton* noButton = box->button(QMessageBox::No);
        if (how.startsWith(QLatin1String("early click Yes"))) {
            QTest::mouseClick(yesButton, Qt::LeftButton);
            QVERIFY(box->isVisible());
        }
        if (how.startsWith(QLatin1String("early double click Yes"))) {
            QTest::mouseDClick(yesButton, Qt::LeftButton);
            QTest::mouseClick(yesButton, Qt::LeftButton);
            QVERIFY(box->isVisible());
        }
        if (how.startsWith(QLatin1String("key"))) {
            QTest::keyClick(box,
                            how.endsWith(QLatin1String("Enter")) ? Qt::Key_Return : Qt::Key_Escape);
            checked = true;
            return;
        }
        QTest::qWait(QApplication::doubleClickInterval() + 50);
        QVERIFY(box->isVisible());
        QTest::mouseClick(how.endsWith(QLatin1String("Yes")) ? yesButton : noButton,
                          Qt::LeftButton);
        checked = true;
    });
    const bool answer = defaultNo ? platform.askYesNoDefaultNo(nullptr, question)
                                  : platform.askYesNo(nullptr, question);
    QVERIFY(checked);
    QCOMPARE(answer, yes);
}

void TestPlatform::questionWithoutAnswerStaysOpen()
{
    // Clicks all through the first moments, however many, leave the question asked.
    QtPlatform platform;
    bool stillOpen = false;
    QTimer::singleShot(0, this, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        QElapsedTimer shown;
        shown.start();
        while (shown.elapsed() < QApplication::doubleClickInterval() - 100) {
            QTest::mouseClick(box->button(QMessageBox::Yes), Qt::LeftButton);
            QTest::qWait(20);
        }
        stillOpen = box->isVisible();
        QTest::keyClick(box, Qt::Key_Escape);
    });
    QVERIFY(!platform.askYesNo(nullptr, question));
    QVERIFY(stillOpen);
}

QTEST_MAIN(TestPlatform)
#include "test_platform.moc"
