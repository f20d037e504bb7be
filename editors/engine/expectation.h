// What a row expects when its check refuses the typed text, in words a user
// can act on ("число с запятой, например «7,5»"), for the lines of the
// refusal that name each failing row.
#pragma once

#include <string>

#include "editors/engine/schema.h"

namespace kessik {

// What the row's check accepts (cp1251). For a row with the record-number
// rule the failure itself says the number (RowFailure::expected).
std::string expectedValue(const Schema& schema, int row);

// One line of a refusal: the row's name, the typed text and what is
// expected: Lifetime: «x» — ожидается целое число, например «30».
std::string failureLine(const Schema& schema, const RowFailure& failure, const std::string& typed);

}  // namespace kessik
