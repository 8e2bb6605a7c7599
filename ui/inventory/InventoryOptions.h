// What a line search covers, set before it starts: the ID range, the
// channels polled where several motors share an ID, and the rates tried.
// Each channel and rate is a box of its own, so the keyboard reaches each.
#pragma once

#include "LanguageTable.h"
#include "LineInventory.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QSpinBox;

class InventoryOptions : public QWidget {
    Q_OBJECT
public:
    explicit InventoryOptions(QWidget *parent = nullptr);

    // Shows a scope (empty channels or rates: all of them).
    void setScope(const LineInventory::Scope &scope);
    // base with the range, channels and rates shown here.
    LineInventory::Scope scope(LineInventory::Scope base) const;
    // At least one channel and one rate: a search can start.
    bool complete() const;
    void applyTexts(Language language);

signals:
    void changed();

private:
    QSpinBox *m_firstId;
    QSpinBox *m_lastId;
    QLabel *m_idsLabel, *m_channelsLabel, *m_ratesLabel;
    QList<QCheckBox *> m_channels; // channel 1 first
    QList<QCheckBox *> m_rates; // in allRates() order
};
