#pragma once
// Run-time failures of the game logic, carrying Basic's error number and description so that the
// error boxes can append the same description the players of the original saw.
#include <QString>
#include <exception>
#include <stdexcept>

namespace storyloom {

class RunError : public std::runtime_error {
  public:
    RunError(int number, const QString& description)
        : std::runtime_error(description.toStdString()),
          number_(number),
          description_(description) {}
    int Number() const { return number_; }
    const QString& Description() const { return description_; }

    // The failures the data layer raises itself.
    static RunError FileNotFound() { return RunError(53, QStringLiteral("File not found")); }
    static RunError PathFileAccess() {
        return RunError(75, QStringLiteral("Path/File access error"));
    }
    static RunError InvalidCall() {
        return RunError(5, QStringLiteral("Invalid procedure call or argument"));
    }
    static RunError SubscriptOutOfRange() {
        return RunError(9, QStringLiteral("Subscript out of range"));
    }
    static RunError TypeMismatch() { return RunError(13, QStringLiteral("Type mismatch")); }
    static RunError Overflow() { return RunError(6, QStringLiteral("Overflow")); }
    static RunError InvalidUseOfNull() {
        return RunError(94, QStringLiteral("Invalid use of Null"));
    }
    static RunError DuplicateKey() {
        return RunError(
            457,
            QStringLiteral("This key is already associated with an element of this collection"));
    }

  private:
    int number_;
    QString description_;
};

// The description an error box appends for any failure caught at an operation's boundary.
QString ErrorDescription(const std::exception& e);

}  // namespace storyloom
