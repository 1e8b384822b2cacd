#include "StepsTestControl.h"

#include "Accessibility.h"
#include "ProgressSpinner.h"
#include "ReadingResultsText.h"
#include "Step.h"
#include "TavlenButton.h"

#include <QStackedLayout>
#include <QVBoxLayout>

namespace tavlen::ui {
namespace {

constexpr int side = 24;

} // namespace

StepsTestControl::StepsTestControl(std::shared_ptr<Step> step, QWidget* parent)
    : QWidget(parent)
    , m_step(std::move(step))
    , m_button(
          new TavlenButton(TavlenButtonStyle{TavlenButtonStyle::Variant::icon, TavlenButtonStyle::Size::compact}, this))
    , m_spinner(new ProgressSpinner(ProgressSpinner::Size::small, this))
{
    setIdentifier(this, itemIdentifier(QStringLiteral("steps-test-step-"), m_step->id()));
    setFixedSize(side, side);
    m_button->setSymbolName(QStringLiteral("play"));
    auto* layout = new QStackedLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_button);
    auto* spinnerHolder = new QWidget(this);
    auto* centred = new QVBoxLayout(spinnerHolder);
    centred->setContentsMargins(0, 0, 0, 0);
    centred->addWidget(m_spinner, 0, Qt::AlignCenter);
    layout->addWidget(spinnerHolder);
    connect(m_button, &TavlenButton::clicked, this, &StepsTestControl::testRequested);
    connect(m_step.get(), &Step::executionChanged, this, &StepsTestControl::refresh);
    refresh();
}

void StepsTestControl::setExecuting(bool isExecuting)
{
    if (m_isExecuting != isExecuting) {
        m_isExecuting = isExecuting;
        refresh();
    }
}

void StepsTestControl::setUnavailableReason(std::optional<QString> reason)
{
    if (m_unavailableReason != reason) {
        m_unavailableReason = std::move(reason);
        refresh();
    }
}

void StepsTestControl::refresh()
{
    const StepsTestControlState state =
        testControlState(m_step->content().kind(), m_step->execution().kind(), m_isExecuting, m_unavailableReason);
    auto* stack = static_cast<QStackedLayout*>(layout());
    stack->setCurrentIndex(state.showsSpinner ? 1 : 0);
    m_button->setEnabled(state.isEnabled);
    m_button->setToolTip(state.help);
    m_button->setAccessibleName(state.accessibleName);
    m_button->setAccessibleDescription(state.accessibleValue);
    m_spinner->setAccessibleName(state.accessibleName);
}

} // namespace tavlen::ui
