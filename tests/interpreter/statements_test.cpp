// Statements and control flow through whole scripts.

#include "support/script_cases.h"

namespace tw {
namespace {

using test::ErrorAt;
using test::RunCases;
using test::ScriptCase;

}  // namespace
}  // namespace tw
