#pragma once
// The message box that ends an operation: its text and icon, from the operation
// and what the transfer reported. Lines are separated by CR alone.
#include "app/operations.h"
#include "transfer/transfer_runner.h"

#include <string>

namespace app {

enum class MessageIcon { None, Exclamation };

struct MessageText {
    std::wstring text;
    MessageIcon icon = MessageIcon::None;
};

// How many failed files the message names before it counts the rest.
inline constexpr size_t kFailuresShown = 10;
// How many files held open the refusal names.
inline constexpr size_t kFilesInUseShown = 5;

[[nodiscard]] MessageText ClosingMessage(Operation operation, const TransferRequest& request,
                                         const transfer::TransferReport& report);

// Default with no file in the game folder's Default folder.
[[nodiscard]] MessageText NoDefaultDataMessage();

}  // namespace app
