#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstdint>

namespace ostrivane::cli {

// One device of an installer's inventory file: "NAME TARGET [# comment]".
struct InventoryEntry {
  enum class Scheme { Tcp, Serial, Id };

  QString name;  // the installer's label: letters, digits, "-_."
  Scheme scheme = Scheme::Tcp;
  QString host;            // tcp:HOST[:PORT]
  std::uint16_t port = 0;  // 0: the device port given on the command line
  QString path;            // serial:PATH
  QString identifier;      // id:IDENTIFIER (an announced identifier)
  int line = 0;            // 1-based line in the file

  // "tcp:HOST:PORT", "serial:PATH" or "id:IDENTIFIER" as written.
  QString Target() const;
};

struct Inventory {
  QList<InventoryEntry> entries;
  // Set when the text is not a valid inventory: "line N: why" (the first problem found).
  QString error;

  int IndexOf(const QString& name) const;
};

// Parses an inventory file's text; blank lines and lines starting with '#' are ignored.
Inventory ParseInventory(const QByteArray& text);

}  // namespace ostrivane::cli
