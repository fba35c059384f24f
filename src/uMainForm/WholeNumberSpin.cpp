#include "uMainForm/WholeNumberSpin.h"

#include <QKeyEvent>

TWholeNumberSpin::TWholeNumberSpin(QWidget* parent) : QSpinBox(parent) {
    // The value changes when the editing ends, so that a text that is then refused leaves
    // the value from before, not that of a digit typed on the way ("1" of "1,5").
    setKeyboardTracking(false);
}

bool TWholeNumberSpin::IsWholeNumberText(const QString& text) {
    const QString bare = text.trimmed();
    qsizetype start = 0;
    if (!bare.isEmpty() && (bare[0] == u'+' || bare[0] == u'-'))
        start = 1;
    if (start == bare.size())
        return false;
    for (qsizetype i = start; i < bare.size(); ++i)
        if (bare[i] < u'0' || bare[i] > u'9')
            return false;
    return true;
}

bool TWholeNumberSpin::HoldsValidNumber() const {
    const QString text = cleanText();
    if (!IsWholeNumberText(text))
        return false;
    bool ok = false;
    const qlonglong number = text.trimmed().toLongLong(&ok);
    return ok && number >= minimum() && number <= maximum();
}

QValidator::State TWholeNumberSpin::validate(QString& input, int& position) const {
    // Any other text stands, to be reported, and never becomes a number: the toolkit would
    // take a locale's thousands separator ("0.5" in German, "1,5" in English) and read 5
    // or 15.
    if (!IsWholeNumberText(input))
        return QValidator::Intermediate;
    // A whole number keeps the toolkit's verdict: digits beyond the maximum are refused as
    // they are typed.
    return QSpinBox::validate(input, position);
}

void TWholeNumberSpin::fixup(QString& input) const {
    // The toolkit's repair drops thousands separators, which would make "0.5" read 5.
    if (IsWholeNumberText(input))
        QSpinBox::fixup(input);
}

void TWholeNumberSpin::ReportRejected() {
    if (!HoldsValidNumber())
        emit Rejected(cleanText());
}

void TWholeNumberSpin::focusOutEvent(QFocusEvent* event) {
    ReportRejected();
    QSpinBox::focusOutEvent(event);
}

void TWholeNumberSpin::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        ReportRejected();
    QSpinBox::keyPressEvent(event);
}

void TWholeNumberSpin::stepBy(int steps) {
    ReportRejected();
    QSpinBox::stepBy(steps);
}
