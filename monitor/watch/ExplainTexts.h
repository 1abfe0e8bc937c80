#pragma once

#include <string_view>

namespace kestrove::explain {

// The explanations shown with an alarm. What the MACs themselves say (a reserved block, a
// locally administered address, a maker) is a fact about the address, which an attacker can
// choose at will: it is stated as such and never offered as a harmless cause. Causes are
// possibilities ("…の可能性があります"), and every change keeps saying that poisoning is not
// excluded.
inline constexpr std::string_view kOldSide = "以前のMACアドレス";
inline constexpr std::string_view kNewSide = "新しいMACアドレス";
inline constexpr std::string_view kSharedSide = "このMACアドレス";

// First line of every change.
inline constexpr std::string_view kChangeLead =
    "ARPポイズニング（攻撃者のなりすまし）の可能性があります。下の手がかりがあっても否定できません";
// The same for an IPv6 address: its MAC is forged with neighbour advertisements.
inline constexpr std::string_view kChangeLead6 =
    "偽の近隣広告（NDPスプーフィング、攻撃者のなりすまし）の可能性があります。下の手がかりがあって"
    "も否定できません";

// Facts about one address: side, "（MAC）", then one of these.
inline constexpr std::string_view kVrrp =
    "はVRRPまたはCARPの仮想ルーター用に予約されたアドレスで、製造者を表しません。仮想ルーターが切り"
    "替わってもこのアドレスは変わりません";
inline constexpr std::string_view kHsrp =
    "はHSRPの仮想ルーター用に予約されたアドレスで、製造者を表しません。仮想ルーターが切り替わっても"
    "このアドレスは変わりません";
inline constexpr std::string_view kIana = "はIANAの予約ブロックのアドレスで、製造者を表しません";
inline constexpr std::string_view kMulticast =
    "はマルチキャストアドレスで、1台の機器のアドレスではありません";
inline constexpr std::string_view kLocal =
    "はローカル管理アドレスで、製造者を表しません。ソフトウェアで自由に設定できるアドレスです";
// The maker: side, "（MAC）は", vendor, kVendorAfter.
inline constexpr std::string_view kVendorJoin = "は";
inline constexpr std::string_view kVendorAfter = "製です（先頭の番号の登録による）";

// Between the two: the minutes the old MAC was in no entry while the monitor watched.
inline constexpr std::string_view kUnseenBefore =
    "以前のMACアドレスは、監視していた間、どのIPアドレスにも変化の前に";
inline constexpr std::string_view kUnseenAfter =
    "分間見えていませんでした。アドレスが別の機器に割り当て直された（DHCPなど）可能性があります";
inline constexpr std::string_view kFlipBack =
    "1分以内に元のMACアドレスに戻りました。どちらが本来のホストかはわかりません。ARPポイズニングと"
    "その打ち消しが繰り返されている可能性があります";
// Between the two: the number of other addresses.
inline constexpr std::string_view kHoldsOthersBefore = "新しいMACアドレスはほかに";
inline constexpr std::string_view kHoldsOthersAfter =
    "個のIPアドレスでも使われています。攻撃者によるなりすまし、またはルーター（プロキシARP）の可能"
    "性があります";

inline constexpr std::string_view kDuplicate =
    "1つのMACアドレスを複数のIPアドレスが使っています。攻撃者、ルーター（プロキシARP）、または複数"
    "のアドレスを持つ機器の可能性があります";
inline constexpr std::string_view kBroadcast =
    "このPCのMACアドレスを別のIPアドレスが名乗っています。なりすまし、またはこのPC自身の別のアドレ"
    "スの可能性があります";

}  // namespace kestrove::explain
