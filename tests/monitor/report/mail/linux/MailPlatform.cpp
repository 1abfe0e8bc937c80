#include "MailPlatform.h"

namespace kestrove::test {

const bool kTlsMatchesIpAddresses = true;

}  // namespace kestrove::test
