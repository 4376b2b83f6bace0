// The automation bridge. Excel 97 (version text "8.0") cannot turn a reference into values
// while it recalculates when the range holds text; there the add-in reads the range through
// Excel's automation objects instead, from the Excel instance that loaded it. Every other
// version converts references itself, and the bridge then never connects.
#pragma once

#include <string>

#include "callconv.h"
#include "xlcall.h"

namespace kvp {
class AutomationSystem;
}

// Connects when Excel is version "8.0"; keeps the library loaded by registering CheckInstance.
// Returns 0, or a failure code (32 when CheckInstance cannot be registered).
int AutomationStart();
// Releases the automation objects and unregisters CheckInstance.
void AutomationStop();

// The automation the bridge uses: the system's unless a test puts its own.
void UseAutomationSystem(kvp::AutomationSystem* automation);
// Forgets the multiple-instances retry, which otherwise lasts as long as the library is loaded:
// for tests that play several loads in one process. The library itself never calls it.
void ForgetAutomationRetry();

// Excel's version text as GET.WORKSPACE(2) gave it at the start (at most 6 characters).
const std::string& ExcelVersion();

// Reference address of the first rectangle of `reference` (a type 8 record) as the bridge
// writes it for Range: lower-case column letters and 1-based rows, "a1:ab5".
std::wstring ReferenceAddress(const XLOPER& reference);

// Called by Excel through CALL while the bridge probes an instance: marks it as found.
KV_ENTRY(int) CheckInstance();
