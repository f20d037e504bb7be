#include "editors/engine/expectation.h"

#include "core/codecs.h"
#include "util/cp1251.h"

namespace kessik {

namespace {

std::string codecExpectation(Codec codec) {
  switch (codec) {
    case Codec::Int32:
    case Codec::Ticks15:
      return ru("целое число, например «30»");
    case Codec::Int32Label:
      return ru("целое число (после него может стоять пробел и подпись), например «0»");
    case Codec::Float32:
    case Codec::Ticks15f:
      return ru("число с запятой, например «7,5»");
    case Codec::Byte:
      return ru("целое число от -128 до 255");
    case Codec::Bool:
      return ru("0 (нет) или 1 (да)");
    case Codec::Bitset30:
      return ru("номера через запятую, например «1,3»");
    case Codec::NameList:
      return ru("список через запятую, например «a,b»");
    case Codec::Code4List:
      return ru("список через запятую, каждый элемент не длиннее 4 символов, например «ab,c»");
    case Codec::Code4:
      return ru("не больше 4 символов");
    case Codec::Char1:
      return ru("один символ или пусто");
    case Codec::Name:
    case Codec::Raw:
    case Codec::SoundList:
      break;
  }
  return ru("любой текст");
}

}  // namespace

std::string expectedValue(const Schema& schema, int row) {
  const Row& r = schema.rows[row];
  switch (r.check) {
    case CheckKind::Mask:
      return ru("маска, которой нет у других записей раздела");
    case CheckKind::MaxLen:
      return ru("не длиннее ") + std::to_string(r.maxLen) + ru(" символов");
    case CheckKind::None:
    case CheckKind::Codec:
      break;
  }
  return codecExpectation(r.codec);
}

std::string failureLine(const Schema& schema, const RowFailure& failure, const std::string& typed) {
  const std::string expected = failure.expected.empty() ? expectedValue(schema, failure.row) : failure.expected;
  return schema.rows[failure.row].name + ru(": «") + typed + ru("» — ожидается ") + expected;
}

}  // namespace kessik
