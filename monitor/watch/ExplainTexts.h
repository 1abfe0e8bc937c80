#pragma once

#include <string_view>

namespace kestrove::explain {

// Likely causes shown with an alarm. Never stated as certain: every one ends in
// "の可能性があります".
inline constexpr std::string_view kOldSide = "以前のMACアドレス";
inline constexpr std::string_view kNewSide = "新しいMACアドレス";
inline constexpr std::string_view kSharedSide = "このMACアドレス";

inline constexpr std::string_view kVrrp =
    "はVRRPまたはCARPの仮想ルーターのものです。ルーターの冗長化による正常な切り替えの可能性がありま"
    "す";
inline constexpr std::string_view kHsrp =
    "はHSRPの仮想ルーターのものです。ルーターの冗長化による正常な切り替えの可能性があります";
inline constexpr std::string_view kLocal =
    "はローカル管理アドレスです。MACアドレスをランダム化する端末や仮想マシンの可能性があります";
// Between the two: the minutes the old MAC was not seen.
inline constexpr std::string_view kUnseenBefore = "以前のMACアドレスは変化の前に";
inline constexpr std::string_view kUnseenAfter =
    "分間見えていませんでした。別の機器へのアドレスの再割り当て（DHCPなど）の可能性があります";
inline constexpr std::string_view kFlipBack =
    "1分以内に元のMACアドレスに戻りました。本来のホストが打ち消したARPポイズニングの可能性がありま"
    "す";
// Between the two: the number of other addresses.
inline constexpr std::string_view kHoldsOthersBefore = "新しいMACアドレスはほかに";
inline constexpr std::string_view kHoldsOthersAfter =
    "個のIPアドレスでも使われています。攻撃者によるなりすまし、またはルーター（プロキシARP）の可能"
    "性があります";
inline constexpr std::string_view kDuplicate =
    "1つのMACアドレスを複数のIPアドレスが使っています。ルーター（プロキシARP）、複数のアドレスを持"
    "つ機器、または攻撃者の可能性があります";
inline constexpr std::string_view kBroadcast =
    "このPCのMACアドレスを別のIPアドレスが名乗っています。なりすまし、またはこのPC自身の別のアドレ"
    "スの可能性があります";
// The vendor line: side, "は", vendor, kVendorAfter.
inline constexpr std::string_view kVendorJoin = "は";
inline constexpr std::string_view kVendorAfter = "の機器の可能性があります";
inline constexpr std::string_view kNoClue =
    "ほかに手がかりはありません。ARPポイズニングの可能性があります";

}  // namespace kestrove::explain
