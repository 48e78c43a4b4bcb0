#pragma once
// The heap on huge pages. glibc's malloc asks the system for huge pages only when its tunable
// glibc.malloc.hugetlb says so, and it reads its tunables from the environment as a program
// starts. Where transparent huge pages are given only on request (the "madvise" mode, the
// usual default), everything a large trace's analysis allocates outside its large blocks is
// otherwise faulted in 4 KiB at a time; on a virtual machine such a fault can cost more than
// the work done on the page, and a million-frame trace takes thousands of them.
#include <optional>
#include <string>
#include <string_view>

namespace corvanta {

// True when the text of /sys/kernel/mm/transparent_hugepage/enabled selects "madvise".
bool HugePagesOnRequest(std::string_view thpEnabled);

// The value GLIBC_TUNABLES must have for the heap to ask for huge pages, one heap for all
// threads, from its present value (null: unset); empty when that value already says what to
// do about huge pages (the user's choice stands, and a program started again with it does not
// start again). A number of heaps the user chose stays too.
std::optional<std::string> TunablesAskingHugePages(const char* current);

// Starts this program again, with the same arguments, its heap asking for huge pages, where
// that helps: Linux with glibc, huge pages given on request, not asked for yet, no sanitizer
// in place of malloc, not under valgrind. Returns where it does not, or where starting again
// failed (then nothing changed). To be called first thing in main, before any thread starts.
void RestartWithHugePageHeap(char** argv);

// Starting again costs a few milliseconds, which only large traces win back: true when the
// files among these arguments hold at least kLargeTraceBytes together.
bool LargeInput(int argc, char** argv);

}  // namespace corvanta
