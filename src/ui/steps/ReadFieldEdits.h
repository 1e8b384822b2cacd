#pragma once

#include "ReadingField.h"

#include <optional>
#include <vector>

namespace tavlen::ui {

// The edits of a Read step's field list, keyed by field id rather than position, so an edit arriving after the
// list changed still reaches its own field. Each gives the new list, or none when nothing is to change.

// The field with the id as the list holds it now, or the fallback (the row's own copy) once it has left.
ReadingField currentField(const std::vector<ReadingField>& fields, const ReadingField& fallback);
// The list with the first field of the updated field's id replaced; none when no field has that id any more.
std::optional<std::vector<ReadingField>> replacingField(const std::vector<ReadingField>& fields,
                                                        const ReadingField& updated);
// The list without every field of the id, in order; none while fewer than two fields are listed, so the last
// field is never removed.
std::optional<std::vector<ReadingField>> removingField(const std::vector<ReadingField>& fields, const Uuid& id);
// The list with a new empty text field (fresh id) at its end.
std::vector<ReadingField> appendingField(std::vector<ReadingField> fields);

} // namespace tavlen::ui
