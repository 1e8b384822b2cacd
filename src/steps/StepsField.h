#pragma once

#include "Uuid.h"

#include <cstddef>
#include <optional>

namespace tavlen {

// One input of one step: where the editor shows a validation message or places focus.
struct StepsField
{
    // Which input of a step. fieldName and fieldInstruction name one field of a Read step by its id.
    class Kind
    {
    public:
        enum class Case
        {
            model,
            timeout,
            url,
            delay,
            viewportWidth,
            viewportHeight,
            deviceScaleFactor,
            fieldName,
            fieldInstruction,
        };

        static Kind model() { return Kind(Case::model); }

        static Kind timeout() { return Kind(Case::timeout); }

        static Kind url() { return Kind(Case::url); }

        static Kind delay() { return Kind(Case::delay); }

        static Kind viewportWidth() { return Kind(Case::viewportWidth); }

        static Kind viewportHeight() { return Kind(Case::viewportHeight); }

        static Kind deviceScaleFactor() { return Kind(Case::deviceScaleFactor); }

        static Kind fieldName(const Uuid& fieldID) { return Kind(Case::fieldName, fieldID); }

        static Kind fieldInstruction(const Uuid& fieldID) { return Kind(Case::fieldInstruction, fieldID); }

        Case kindCase() const { return m_case; }

        // The field id of fieldName and fieldInstruction; none for the other cases.
        const std::optional<Uuid>& fieldID() const { return m_fieldID; }

        friend bool operator==(const Kind&, const Kind&) = default;

    private:
        explicit Kind(Case kindCase, std::optional<Uuid> fieldID = std::nullopt)
            : m_case(kindCase)
            , m_fieldID(fieldID)
        {}

        Case m_case;
        std::optional<Uuid> m_fieldID;
    };

    Uuid stepID;
    Kind kind = Kind::model();

    friend bool operator==(const StepsField&, const StepsField&) = default;
};

} // namespace tavlen

// The case's position in declaration order, then the field id of the two payload cases.
template <> struct std::hash<tavlen::StepsField::Kind>
{
    std::size_t operator()(const tavlen::StepsField::Kind& kind) const noexcept;
};

// The step id, then the kind.
template <> struct std::hash<tavlen::StepsField>
{
    std::size_t operator()(const tavlen::StepsField& field) const noexcept;
};
