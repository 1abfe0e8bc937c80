#pragma once

#include <string_view>

namespace kestrove {

// Messages of the IPv6, router and gateway alarms in the alarm list and the alarm log. Readers
// of the log find the IPv4 change and duplicate lines by "MACアドレスが変化" and
// "MACアドレスが重複" and cut their details by position, so none of these may contain those.
inline constexpr std::string_view kIpv6ChangeMessage = "IPv6アドレスのMACアドレスが変わりました";
inline constexpr std::string_view kRouterMessage = "新しいルーターが現れました";
inline constexpr std::string_view kGatewayMessage = "デフォルトゲートウェイが変わりました";
inline constexpr std::string_view kGatewayMacMessage = "ゲートウェイのMACアドレスが記憶と違います";
inline constexpr std::string_view kDadMessage = "このPCのIPv6アドレスがほかの機器に使われています";
inline constexpr std::string_view kFirstHopMessage = "最初の中継点を確かめました";

// Parts of the details.
inline constexpr std::string_view kPreferenceLabel = "優先度：";
inline constexpr std::string_view kPreferenceHigh = "高";
inline constexpr std::string_view kPreferenceMedium = "中";
inline constexpr std::string_view kPreferenceLow = "低";
inline constexpr std::string_view kPreferenceNone = "なし";
inline constexpr std::string_view kPrefixLabel = "プレフィックス：";
inline constexpr std::string_view kDnsLabel = "DNS：";
inline constexpr std::string_view kNoGateway = "なし";
inline constexpr std::string_view kGatewayNextHop = "別のゲートウェイに替わりました";
inline constexpr std::string_view kGatewayAdded = "デフォルトルートが追加されました";
inline constexpr std::string_view kGatewayInterface = "別のインターフェースに移りました";
inline constexpr std::string_view kGatewayRemoved = "ゲートウェイが応答するうちに削除されました";
inline constexpr std::string_view kGatewaySinceLastRun = "前回の記録と違います";
// The first-hop answer: who answered the probe sent through the gateway.
inline constexpr std::string_view kFirstHopOther =
    "が応答しました（ゲートウェイではない機器が通信を中継しています）";
inline constexpr std::string_view kFirstHopGateway = "ゲートウェイ自身が応答しました";
inline constexpr std::string_view kFirstHopSilent =
    "応答がありません（通信が途中で捨てられている可能性があります）";
inline constexpr std::string_view kFirstHopVia = "への最初の中継点：";

}  // namespace kestrove

namespace kestrove::explain6 {

// The causes the IPv6, router and gateway alarms add to their explanations.
inline constexpr std::string_view kRouterForged =
    "ルーターのアドレスです。偽の近隣広告（NDPスプーフィング）による通信の横取りの可能性があります";
inline constexpr std::string_view kRogueRouter =
    "偽のルーター広告で通信を引き寄せようとしている可能性があります。正当なルーターなら「クリア」で"
    "既知のルーターになります";
inline constexpr std::string_view kGatewayMoved =
    "偽のDHCPサーバーや経路の書き換えによる通信の横取りの可能性があります。VPNの接続やネットワーク"
    "の切り替えでも起こります";
inline constexpr std::string_view kGatewayMacBeforeStart =
    "起動前からゲートウェイが偽装されている可能性があります。本当に別のネットワークに移ったのなら「"
    "クリア」してください";
inline constexpr std::string_view kAddressTaken =
    "ほかの機器が同じアドレスを使っているか、IPv6の通信を妨害されている可能性があります";
inline constexpr std::string_view kIpv6Differs = "このルーターのIPv6のMACアドレスは";
inline constexpr std::string_view kIpv4Differs = "このルーターのIPv4のMACアドレスは";
inline constexpr std::string_view kFamiliesDisagree =
    "で、一致しません。どちらかが偽装されている可能性があります";

}  // namespace kestrove::explain6
