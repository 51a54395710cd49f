#pragma once

#include <QString>
#include <utility>

#include "config/ConfigFields.h"

namespace ostrivane {

// Walks every field of a configuration with its path in the JSON form ("Services[2].Lcn",
// "MacAddress[3]"), in declaration order: number(path, std::int32_t&) and text(path, QString&).
template <class OnNumber, class OnText>
class FieldPathVisitor {
 public:
  FieldPathVisitor(OnNumber number, OnText text)
      : m_number(std::move(number)), m_text(std::move(text)) {}

  void Field(const char* name, std::int32_t& value) { m_number(Path(name), value); }
  void Field(const char* name, QString& text) { m_text(Path(name), text); }
  template <std::size_t N>
  void Numbers(const char* name, std::array<std::int32_t, N>& values) {
    for (std::size_t i = 0; i < N; ++i)
      m_number(QStringLiteral("%1[%2]").arg(Path(name)).arg(i), values[i]);
  }
  template <class T, std::size_t N>
  void Slots(const char* name, std::array<T, N>& slots) {
    const QString outer = m_prefix;
    for (std::size_t i = 0; i < N; ++i) {
      m_prefix = QStringLiteral("%1%2[%3].").arg(outer, QLatin1String(name)).arg(i);
      VisitFields(*this, slots[i]);
    }
    m_prefix = outer;
  }

 private:
  QString Path(const char* name) const { return m_prefix + QLatin1String(name); }

  OnNumber m_number;
  OnText m_text;
  QString m_prefix;
};

template <class OnNumber, class OnText>
void VisitFieldPaths(DeviceConfig& config, OnNumber number, OnText text) {
  FieldPathVisitor<OnNumber, OnText> visitor(std::move(number), std::move(text));
  VisitFields(visitor, config);
}

// The key at the top of the JSON form that a path lies under ("Services" for "Services[2].Lcn").
inline QString TopKeyOf(const QString& path) {
  const qsizetype end = path.indexOf(QLatin1Char('['));
  return end < 0 ? path : path.left(end);
}

}  // namespace ostrivane
