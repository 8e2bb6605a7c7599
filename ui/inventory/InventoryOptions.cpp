#include "InventoryOptions.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>

namespace {

QSpinBox *idBox(const char *name, QWidget *parent)
{
    auto *box = new QSpinBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setRange(1, MotorSettings::MaxId);
    return box;
}

// Checks the boxes whose value is in chosen (all of them when chosen is empty).
void check(const QList<QCheckBox *> &boxes, const QList<int> &values, const QList<int> &chosen)
{
    for (qsizetype i = 0; i < boxes.size(); ++i)
        boxes[i]->setChecked(chosen.isEmpty() || chosen.contains(values[i]));
}

QList<int> checked(const QList<QCheckBox *> &boxes, const QList<int> &values)
{
    QList<int> out;
    for (qsizetype i = 0; i < boxes.size(); ++i)
        if (boxes[i]->isChecked())
            out << values[i];
    return out;
}

QList<int> channelNumbersList()
{
    QList<int> channels;
    for (int c = 1; c <= 16; ++c)
        channels << c;
    return channels;
}

} // namespace

InventoryOptions::InventoryOptions(QWidget *parent)
    : QWidget(parent), m_firstId(idBox("InventoryFirstId", this)), m_lastId(idBox("InventoryLastId", this)),
      m_idsLabel(new QLabel(this)), m_channelsLabel(new QLabel(this)), m_ratesLabel(new QLabel(this))
{
    m_idsLabel->setBuddy(m_firstId);
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    auto *ids = new QHBoxLayout;
    ids->addWidget(m_firstId);
    ids->addWidget(new QLabel(QStringLiteral("–"), this));
    ids->addWidget(m_lastId);
    ids->addStretch();
    grid->addWidget(m_idsLabel, 0, 0);
    grid->addLayout(ids, 0, 1);

    auto *channels = new QGridLayout;
    for (const int c : channelNumbersList()) {
        auto *box = new QCheckBox(QString::number(c), this);
        box->setObjectName(QStringLiteral("InventoryChannel%1").arg(c));
        channels->addWidget(box, (c - 1) / 8, (c - 1) % 8);
        m_channels << box;
    }
    grid->addWidget(m_channelsLabel, 1, 0, Qt::AlignTop);
    grid->addLayout(channels, 1, 1);

    auto *rates = new QHBoxLayout;
    for (const int rate : LineInventory::allRates()) {
        auto *box = new QCheckBox(QStringLiteral("%1 bps").arg(rate), this);
        box->setObjectName(QStringLiteral("InventoryRate%1").arg(rate));
        rates->addWidget(box);
        m_rates << box;
    }
    rates->addStretch();
    grid->addWidget(m_ratesLabel, 2, 0);
    grid->addLayout(rates, 2, 1);

    // The range stays a range: moving one end past the other takes it along.
    connect(m_firstId, &QSpinBox::valueChanged, this, [this](int first) {
        m_lastId->setValue(std::max(first, m_lastId->value()));
        emit changed();
    });
    connect(m_lastId, &QSpinBox::valueChanged, this, [this](int last) {
        m_firstId->setValue(std::min(last, m_firstId->value()));
        emit changed();
    });
    for (QCheckBox *box : m_channels + m_rates)
        connect(box, &QCheckBox::toggled, this, &InventoryOptions::changed);
    setScope({});
}

void InventoryOptions::setScope(const LineInventory::Scope &scope)
{
    m_lastId->setValue(MotorSettings::MaxId);
    m_firstId->setValue(scope.firstId);
    m_lastId->setValue(scope.lastId);
    check(m_channels, channelNumbersList(), scope.channels);
    check(m_rates, LineInventory::allRates(), scope.rates);
}

LineInventory::Scope InventoryOptions::scope(LineInventory::Scope base) const
{
    base.firstId = m_firstId->value();
    base.lastId = m_lastId->value();
    base.channels = checked(m_channels, channelNumbersList());
    base.rates = checked(m_rates, LineInventory::allRates());
    return base;
}

bool InventoryOptions::complete() const
{
    const auto anyChecked = [](const QList<QCheckBox *> &boxes) {
        return std::any_of(boxes.begin(), boxes.end(), [](const QCheckBox *b) { return b->isChecked(); });
    };
    return anyChecked(m_channels) && anyChecked(m_rates);
}

void InventoryOptions::applyTexts(Language language)
{
    m_idsLabel->setText(text(Word::InvColId, language));
    m_channelsLabel->setText(text(Word::InvColChannels, language));
    m_ratesLabel->setText(text(Word::InvColRate, language));
    m_firstId->setAccessibleName(text(Word::InvColId, language));
    m_lastId->setAccessibleName(text(Word::InvColId, language));
}
