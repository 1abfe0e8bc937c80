#include "MailPlatform.h"

namespace kestrove::test {

const bool kTlsMatchesIpAddresses = false;

}  // namespace kestrove::test
