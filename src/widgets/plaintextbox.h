#pragma once

#include <QPlainTextEdit>

// A text box that takes whatever is pasted or dropped into it as plain text. Qt parses a
// Markdown offer even in a plain text box, and a table or a list that came in that way would
// make the box's lines differ from the text's lines, which the draw relies on.
class PlainTextBox : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit PlainTextBox(QWidget* parent);

    // Lines at least this long keep their shaped glyphs between a layout and a paint.
    static constexpr int shapedLineChars = 1000;

    // What a paste or drop of `source` brings in: its plain text, else the text of its HTML;
    // a null string when it holds no text at all.
    static QString plainTextOf(const QMimeData& source);

protected:
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    void keepLongLinesShaped(int from, int added);
};
