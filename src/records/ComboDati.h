#pragma once

#include "platform/base/Variant.h"

#include <QComboBox>
#include <QMetaType>
#include <QString>

#include <optional>

// Look-up combos carry the stored value of each entry as item data.
Q_DECLARE_METATYPE(platform::Variant)

// A data combo: a look-up list whose entries show a text and stand for the
// value of their row's bound column (a key). The user picks an entry from
// the list (F4), with the arrows, or types its beginning, which completes
// to the first entry starting with the whole typed text (blanks included).
// What the user chose is a row, never a text: two entries that show the
// same text stay apart. What the program shows is no choice of the user's.
class ComboDati : public QComboBox
{
    Q_OBJECT

public:
    explicit ComboDati(QWidget *parent = nullptr);

    // Adds an entry: its text and the value it stands for. Filling the list
    // is no choice of the user's.
    void AggiungiVoce(const QString &text, const platform::Variant &value);
    // Empties the list.
    void Svuota();
    // The value entry `index` stands for (Null for none).
    platform::Variant ValoreVoce(int index) const;
    // The first entry standing for the value (texts compared without regard
    // to case); -1 when none does.
    int IndiceValore(const platform::Variant &value) const;

    // Shows the entry standing for the value, or, when none does, the value
    // itself as text (Null and Empty as nothing). The user has then chosen
    // nothing yet.
    void MostraValore(const platform::Variant &value);
    // Whether the user changed the entry or typed in the box since the
    // program last showed a value.
    bool Toccato() const { return m_Toccato; }
    // The entry the text in the box names: the current entry while the text
    // is its own, else the first entry of that text (without regard to
    // case); -1 for an empty box; nullopt when the text names no entry.
    std::optional<int> Scelta() const;
    // Makes the entry that the text names the current one; false, changing
    // nothing, when the text names none.
    bool Conferma();

protected:
    void focusInEvent(QFocusEvent *event) override;

private:
    bool m_Toccato = false;
    bool m_Programma = false;
};
