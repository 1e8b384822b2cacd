#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include <memory>
#include <optional>

namespace tavlen {
class Step;
}

namespace tavlen::ui {

class ProgressSpinner;
class TavlenButton;

// The head of a step card: a play button that tests the workflow through this step, or a spinner while the step
// runs; 24 × 24, named "steps-test-step-" + the step's id. It follows the step's execution; the card passes
// whether anything executes and why the step cannot be tested, and starts the test on testRequested().
class StepsTestControl : public QWidget
{
    Q_OBJECT

public:
    explicit StepsTestControl(std::shared_ptr<Step> step, QWidget* parent = nullptr);

    TavlenButton* button() const { return m_button; }

    ProgressSpinner* spinner() const { return m_spinner; }

    void setExecuting(bool isExecuting);
    void setUnavailableReason(std::optional<QString> reason);

Q_SIGNALS:
    void testRequested();

private:
    void refresh();

    std::shared_ptr<Step> m_step;
    bool m_isExecuting = false;
    std::optional<QString> m_unavailableReason;
    TavlenButton* m_button;
    ProgressSpinner* m_spinner;
};

} // namespace tavlen::ui
