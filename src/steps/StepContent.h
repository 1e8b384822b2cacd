#pragma once

#include "StepKind.h"
#include "StepsOpenPageSettings.h"
#include "StepsReadSettings.h"

#include <memory>
#include <variant>

namespace tavlen {

// What a step does: open a page or read a region. The settings object is shared: copying the content shares it.
class StepContent
{
public:
    static StepContent openPage(std::shared_ptr<StepsOpenPageSettings> settings)
    {
        return StepContent(Settings(std::move(settings)));
    }

    static StepContent read(std::shared_ptr<StepsReadSettings> settings)
    {
        return StepContent(Settings(std::move(settings)));
    }

    StepKind kind() const { return m_settings.index() == 0 ? StepKind::openPage : StepKind::read; }

    // The Open page settings, or null for a Read step.
    StepsOpenPageSettings* openPageSettings() const;
    // The Read settings, or null for an Open page step.
    StepsReadSettings* readSettings() const;

private:
    using Settings = std::variant<std::shared_ptr<StepsOpenPageSettings>, std::shared_ptr<StepsReadSettings>>;

    explicit StepContent(Settings settings)
        : m_settings(std::move(settings))
    {}

    Settings m_settings;
};

inline StepsOpenPageSettings* StepContent::openPageSettings() const
{
    const auto* settings = std::get_if<0>(&m_settings);
    return settings ? settings->get() : nullptr;
}

inline StepsReadSettings* StepContent::readSettings() const
{
    const auto* settings = std::get_if<1>(&m_settings);
    return settings ? settings->get() : nullptr;
}

} // namespace tavlen
