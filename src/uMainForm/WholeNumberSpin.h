#pragma once
// A spin box for whole numbers that keeps a text that is none as typed. The toolkit's own
// takes the locale's thousands separator, so that "0.5" reads 5 in German; here the text
// stays, and leaving the field with a text that gives no value of its range is reported
// before the field shows its last value again.
#include <QSpinBox>

class TWholeNumberSpin : public QSpinBox {
    Q_OBJECT

public:
    explicit TWholeNumberSpin(QWidget* parent = nullptr);
    // Whether the text, without surrounding blanks, is an optional sign and decimal digits.
    static bool IsWholeNumberText(const QString& text);
    // Whether the text as it stands is a whole number of the field's range.
    bool HoldsValidNumber() const;

signals:
    // The field is left, Enter pressed or a step taken while it holds this text, which the
    // field is about to replace by its last value.
    void Rejected(const QString& text);

protected:
    QValidator::State validate(QString& input, int& position) const override;
    void fixup(QString& input) const override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void stepBy(int steps) override;

private:
    void ReportRejected();
};
