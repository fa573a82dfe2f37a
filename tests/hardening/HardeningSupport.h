#pragma once
// Helpers of the hardening tests: octets from hexadecimal, repeated units for deep or long inputs, and
// the failure a call ends in, all from tests/support.
#include "support/Failures.h"
#include "support/Octets.h"
#include "zentrik/foundation/CoderFailures.h"
#include "zentrik/platform/utils/ByteArray.h"
#include "zentrik/platform/utils/Exception.h"

namespace hardening_test {

using Velmora::ByteArray;
using Velmora::Exception;

using zentrik_test::hex, zentrik_test::repeated;
using zentrik_test::Outcome, zentrik_test::outcomeOf, zentrik_test::expectFailure;

}  // namespace hardening_test
