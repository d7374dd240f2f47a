// GetTickCount64 for Windows XP, which lacks it.
//
// MinGW-w64's static winpthread (linked into every program of the posix
// toolchain) calls GetTickCount64 through its import slot; a program that
// imports it does not even start on Windows XP ("entry point not found").
// Defining the slot here keeps the function out of the import table: the
// first call looks the real function up and, where kernel32 has none, counts
// on from GetTickCount.
//
// Linked as an object file into each program and DLL, not from an archive:
// the linker would not take an archive member for a symbol that only a later
// library (winpthread) asks for.
#include <windows.h>

#include "platform/tick_extension.h"

namespace {

volatile LONG lock = 0;
platform::TickExtension extension;

ULONGLONG WINAPI FromTickCount() {
  while (InterlockedCompareExchange(&lock, 1, 0) != 0) Sleep(0);
  const ULONGLONG now = extension.Extend(GetTickCount());
  InterlockedExchange(&lock, 0);
  return now;
}

ULONGLONG WINAPI Resolve();

}  // namespace

// The import slot the import library would otherwise provide, under the
// linker's name for it (stdcall decoration on 32-bit).
#if defined(__x86_64__)
#define KORVEL_TICK64_SLOT "__imp_GetTickCount64"
#else
#define KORVEL_TICK64_SLOT "__imp__GetTickCount64@0"
#endif
extern "C" ULONGLONG(WINAPI* tick_count_64_slot)() __asm__(KORVEL_TICK64_SLOT);
ULONGLONG(WINAPI* tick_count_64_slot)() = Resolve;

namespace {

ULONGLONG WINAPI Resolve() {
  using Function = ULONGLONG(WINAPI*)();
  Function real = nullptr;
  if (HMODULE kernel = GetModuleHandleW(L"kernel32.dll"))
    real = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(kernel, "GetTickCount64")));
  const Function chosen = real != nullptr ? real : FromTickCount;
  InterlockedExchangePointer(reinterpret_cast<void* volatile*>(&tick_count_64_slot),
                             reinterpret_cast<void*>(chosen));
  return chosen();
}

}  // namespace
