#pragma once

#include "StepsExecutionState.h"

#include <QWidget>

#include <chrono>
#include <optional>

namespace tavlen::ui {

// A step's outcome under its card, and a check's readings in the history: for a success one pill per reading,
// flowing into rows, on a green tint; for a failure the message in red on a red tint; each with the running time
// when one is given. Nothing for a step that has not run or is running. Without a background (the history) a
// success has neither tint nor padding and a failure keeps its padding but no tint.
class StepsReadingResults : public QWidget
{
    Q_OBJECT

public:
    explicit StepsReadingResults(bool showsBackground, QWidget* parent = nullptr);

    // Shows the outcome; the duration is the running time of that execution (none shows no running time).
    void setExecution(const StepsExecutionState& execution, std::optional<std::chrono::nanoseconds> duration);

    const StepsExecutionState& execution() const { return m_execution; }

    bool showsBackground() const { return m_showsBackground; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void rebuild();

    bool m_showsBackground;
    StepsExecutionState m_execution;
    std::optional<std::chrono::nanoseconds> m_duration;
};

} // namespace tavlen::ui
