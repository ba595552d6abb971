#!/usr/bin/env python3
"""Writes network/station_table.cpp, the 180 station records, from the rows below.

Usage: tools/gen_station_table.py > network/station_table.cpp

Sections: ROWS (code, station part, title per railway), PLACES (coordinates by
title), HORIZONTAL (records whose name label is horizontal), the
published row of 青山一丁目 (Ginza), and the rules for the fields that the
operator's published values are not known for here (see RULES in the output).
"""

import sys

# Railway part of the identifier, then "code station-part title" rows.
ROWS = [
    ("Ginza", """G01 Shibuya 渋谷; G02 OmoteSando 表参道; G03 Gaiemmae 外苑前; G04 AoyamaItchome 青山一丁目; G05 AkasakaMitsuke 赤坂見附; G06 TameikeSanno 溜池山王; G07 Toranomon 虎ノ門; G08 Shimbashi 新橋; G09 Ginza 銀座; G10 Kyobashi 京橋; G11 Nihombashi 日本橋; G12 Mitsukoshimae 三越前; G13 Kanda 神田; G14 Suehirocho 末広町; G15 UenoHirokoji 上野広小路; G16 Ueno 上野; G17 Inaricho 稲荷町; G18 Tawaramachi 田原町; G19 Asakusa 浅草"""),
    ("Marunouchi", """M01 Ogikubo 荻窪; M02 MinamiAsagaya 南阿佐ケ谷; M03 ShinKoenji 新高円寺; M04 HigashiKoenji 東高円寺; M05 ShinNakano 新中野; M06 NakanoSakaue 中野坂上; M07 NishiShinjuku 西新宿; M08 Shinjuku 新宿; M09 ShinjukuSanchome 新宿三丁目; M10 ShinjukuGyoemmae 新宿御苑前; M11 YotsuyaSanchome 四谷三丁目; M12 Yotsuya 四ツ谷; M13 AkasakaMitsuke 赤坂見附; M14 KokkaiGijidomae 国会議事堂前; M15 Kasumigaseki 霞ケ関; M16 Ginza 銀座; M17 Tokyo 東京; M18 Otemachi 大手町; M19 Awajicho 淡路町; M20 Ochanomizu 御茶ノ水; M21 HongoSanchome 本郷三丁目; M22 Korakuen 後楽園; M23 Myogadani 茗荷谷; M24 ShinOtsuka 新大塚; M25 Ikebukuro 池袋"""),
    ("MarunouchiBranch", """M06 NakanoSakaue 中野坂上; m03 Honancho 方南町; m04 NakanoFujimicho 中野富士見町; m05 NakanoShimbashi 中野新橋"""),
    ("Hibiya", """H01 NakaMeguro 中目黒; H02 Ebisu 恵比寿; H03 HiroO 広尾; H04 Roppongi 六本木; H05 Kamiyacho 神谷町; H06 Kasumigaseki 霞ケ関; H07 Hibiya 日比谷; H08 Ginza 銀座; H09 HigashiGinza 東銀座; H10 Tsukiji 築地; H11 Hatchobori 八丁堀; H12 Kayabacho 茅場町; H13 Ningyocho 人形町; H14 Kodemmacho 小伝馬町; H15 Akihabara 秋葉原; H16 NakaOkachimachi 仲御徒町; H17 Ueno 上野; H18 Iriya 入谷; H19 Minowa 三ノ輪; H20 MinamiSenju 南千住; H21 KitaSenju 北千住"""),
    ("Tozai", """T01 Nakano 中野; T02 Ochiai 落合; T03 Takadanobaba 高田馬場; T04 Waseda 早稲田; T05 Kagurazaka 神楽坂; T06 Iidabashi 飯田橋; T07 Kudanshita 九段下; T08 Takebashi 竹橋; T09 Otemachi 大手町; T10 Nihombashi 日本橋; T11 Kayabacho 茅場町; T12 MonzenNakacho 門前仲町; T13 Kiba 木場; T14 Toyocho 東陽町; T15 MinamiSunamachi 南砂町; T16 NishiKasai 西葛西; T17 Kasai 葛西; T18 Urayasu 浦安; T19 MinamiGyotoku 南行徳; T20 Gyotoku 行徳; T21 Myoden 妙典; T22 BarakiNakayama 原木中山; T23 NishiFunabashi 西船橋"""),
    ("Chiyoda", """C01 YoyogiUehara 代々木上原; C02 YoyogiKoen 代々木公園; C03 MeijiJingumae 明治神宮前〈原宿〉; C04 OmoteSando 表参道; C05 Nogizaka 乃木坂; C06 Akasaka 赤坂; C07 KokkaiGijidomae 国会議事堂前; C08 Kasumigaseki 霞ケ関; C09 Hibiya 日比谷; C10 Nijubashimae 二重橋前; C11 Otemachi 大手町; C12 ShinOchanomizu 新御茶ノ水; C13 Yushima 湯島; C14 Nezu 根津; C15 Sendagi 千駄木; C16 NishiNippori 西日暮里; C17 Machiya 町屋; C18 KitaSenju 北千住; C19 Ayase 綾瀬; C20 KitaAyase 北綾瀬"""),
    ("Yurakucho", """Y01 Wakoshi 和光市; Y02 ChikatetsuNarimasu 地下鉄成増; Y03 ChikatetsuAkatsuka 地下鉄赤塚; Y04 Heiwadai 平和台; Y05 Hikawadai 氷川台; Y06 KotakeMukaihara 小竹向原; Y07 Senkawa 千川; Y08 Kanamecho 要町; Y09 Ikebukuro 池袋; Y10 HigashiIkebukuro 東池袋; Y11 Gokokuji 護国寺; Y12 Edogawabashi 江戸川橋; Y13 Iidabashi 飯田橋; Y14 Ichigaya 市ケ谷; Y15 Kojimachi 麹町; Y16 Nagatacho 永田町; Y17 Sakuradamon 桜田門; Y18 Yurakucho 有楽町; Y19 GinzaItchome 銀座一丁目; Y20 Shintomicho 新富町; Y21 Tsukishima 月島; Y22 Toyosu 豊洲; Y23 Tatsumi 辰巳; Y24 ShinKiba 新木場"""),
    ("Hanzomon", """Z01 Shibuya 渋谷; Z02 OmoteSando 表参道; Z03 AoyamaItchome 青山一丁目; Z04 Nagatacho 永田町; Z05 Hanzomon 半蔵門; Z06 Kudanshita 九段下; Z07 Jimbocho 神保町; Z08 Otemachi 大手町; Z09 Mitsukoshimae 三越前; Z10 Suitengumae 水天宮前; Z11 KiyosumiShirakawa 清澄白河; Z12 Sumiyoshi 住吉; Z13 Kinshicho 錦糸町; Z14 Oshiage 押上〈スカイツリー前〉"""),
    ("Namboku", """N01 Meguro 目黒; N02 Shirokanedai 白金台; N03 ShirokaneTakanawa 白金高輪; N04 AzabuJuban 麻布十番; N05 RoppongiItchome 六本木一丁目; N06 TameikeSanno 溜池山王; N07 Nagatacho 永田町; N08 Yotsuya 四ツ谷; N09 Ichigaya 市ケ谷; N10 Iidabashi 飯田橋; N11 Korakuen 後楽園; N12 Todaimae 東大前; N13 HonKomagome 本駒込; N14 Komagome 駒込; N15 Nishigahara 西ケ原; N16 Oji 王子; N17 OjiKamiya 王子神谷; N18 Shimo 志茂; N19 AkabaneIwabuchi 赤羽岩淵"""),
    ("Fukutoshin", """F06 KotakeMukaihara 小竹向原; F07 Senkawa 千川; F08 Kanamecho 要町; F09 Ikebukuro 池袋; F10 Zoshigaya 雑司が谷; F11 NishiWaseda 西早稲田; F12 HigashiShinjuku 東新宿; F13 ShinjukuSanchome 新宿三丁目; F14 KitaSando 北参道; F15 MeijiJingumae 明治神宮前〈原宿〉; F16 Shibuya 渋谷"""),
]

# "title latitude longitude" per station place.
PLACES = """
渋谷 35.658516 139.701340; 表参道 35.665249 139.712311; 外苑前 35.670528 139.717850; 青山一丁目 35.672764 139.724152; 赤坂見附 35.677021 139.737045; 溜池山王 35.673622 139.741425; 虎ノ門 35.670235 139.749832; 新橋 35.665497 139.759644
銀座 35.671989 139.763962; 京橋 35.676849 139.770096; 日本橋 35.682411 139.773926; 三越前 35.684887 139.773163; 神田 35.691689 139.770889; 末広町 35.702972 139.771713; 上野広小路 35.707661 139.772980; 上野 35.713768 139.777252
稲荷町 35.711353 139.782730; 田原町 35.709854 139.790802; 浅草 35.712074 139.798431; 池袋 35.728928 139.710373; 新大塚 35.725792 139.729919; 茗荷谷 35.717304 139.736740; 後楽園 35.707336 139.751205; 本郷三丁目 35.706673 139.759918
御茶ノ水 35.699856 139.763779; 淡路町 35.695435 139.767578; 大手町 35.684799 139.766083; 東京 35.681381 139.766083; 霞ケ関 35.673840 139.750900; 国会議事堂前 35.673931 139.745224; 四ツ谷 35.686012 139.730667; 四谷三丁目 35.687958 139.720108
新宿御苑前 35.688587 139.710693; 新宿三丁目 35.690617 139.706268; 新宿 35.690922 139.700256; 西新宿 35.694298 139.692780; 中野坂上 35.697922 139.682907; 新中野 35.697491 139.669037; 東高円寺 35.697803 139.657822; 新高円寺 35.697987 139.648071
南阿佐ケ谷 35.699623 139.635757; 荻窪 35.704632 139.619980; 中野新橋 35.692123 139.673996; 中野富士見町 35.690514 139.666931; 方南町 35.683495 139.656494; 中目黒 35.644306 139.699158; 恵比寿 35.646690 139.710114; 広尾 35.652279 139.722229
六本木 35.662834 139.731445; 神谷町 35.662979 139.745071; 日比谷 35.675114 139.759766; 東銀座 35.669464 139.767258; 築地 35.668114 139.772598; 八丁堀 35.674618 139.777710; 茅場町 35.679752 139.779999; 人形町 35.686306 139.782288
小伝馬町 35.690739 139.778427; 秋葉原 35.698685 139.774216; 仲御徒町 35.706554 139.776199; 入谷 35.720734 139.784546; 三ノ輪 35.729527 139.791336; 南千住 35.733337 139.799164; 北千住 35.749413 139.805115; 中野 35.706032 139.665649
落合 35.710739 139.686340; 高田馬場 35.712284 139.703781; 早稲田 35.705723 139.721313; 神楽坂 35.703903 139.734238; 飯田橋 35.702065 139.745010; 九段下 35.695587 139.751953; 竹橋 35.690662 139.756821; 門前仲町 35.671986 139.795792
木場 35.669456 139.806534; 東陽町 35.669628 139.817596; 南砂町 35.668797 139.830643; 西葛西 35.664528 139.859375; 葛西 35.663525 139.872696; 浦安 35.665745 139.892944; 南行徳 35.672688 139.902313; 行徳 35.682556 139.914230
妙典 35.691612 139.925018; 原木中山 35.703201 139.941879; 西船橋 35.707451 139.959091; 代々木上原 35.669064 139.679672; 代々木公園 35.668953 139.691315; 明治神宮前〈原宿〉 35.669071 139.703995; 乃木坂 35.666573 139.726212; 赤坂 35.672371 139.736542
二重橋前 35.680367 139.761612; 新御茶ノ水 35.698071 139.766006; 湯島 35.708244 139.769913; 根津 35.717373 139.765747; 千駄木 35.725548 139.763245; 西日暮里 35.732136 139.766785; 町屋 35.742268 139.781433; 綾瀬 35.762207 139.824799
北綾瀬 35.777054 139.832031; 和光市 35.788513 139.612350; 地下鉄成増 35.776558 139.631500; 地下鉄赤塚 35.769939 139.644028; 平和台 35.757862 139.653763; 氷川台 35.749821 139.665024; 小竹向原 35.743801 139.678574; 千川 35.738419 139.689163
要町 35.733231 139.698715; 東池袋 35.725685 139.719513; 護国寺 35.719044 139.727539; 江戸川橋 35.709496 139.733536; 市ケ谷 35.691010 139.735580; 麹町 35.684006 139.737610; 永田町 35.678757 139.740265; 桜田門 35.677364 139.751755
有楽町 35.675068 139.763321; 銀座一丁目 35.674351 139.767044; 新富町 35.670464 139.773712; 月島 35.664871 139.784225; 豊洲 35.654907 139.796204; 辰巳 35.645576 139.810516; 新木場 35.646156 139.827423; 半蔵門 35.685703 139.741638
神保町 35.695492 139.758118; 水天宮前 35.682060 139.786041; 清澄白河 35.682106 139.798843; 住吉 35.689072 139.815659; 錦糸町 35.696438 139.813950; 押上〈スカイツリー前〉 35.710701 139.812943; 目黒 35.633999 139.715836; 白金台 35.637917 139.726135
白金高輪 35.642902 139.734100; 麻布十番 35.654682 139.737045; 六本木一丁目 35.665596 139.738998; 東大前 35.717632 139.758026; 本駒込 35.724155 139.753830; 駒込 35.736488 139.746872; 西ケ原 35.745903 139.742310; 王子 35.752476 139.738144
王子神谷 35.765171 139.735931; 志茂 35.777946 139.732605; 赤羽岩淵 35.783417 139.722107; 雑司が谷 35.720161 139.714783; 西早稲田 35.707939 139.709091; 東新宿 35.697922 139.707550; 北参道 35.678158 139.705673
"""

# Station codes whose name label is written horizontally (0); all others are vertical (1).
HORIZONTAL = (["C13", "C14", "C15", "C16", "C18", "C19", "C20",
               "H14", "H15", "H16", "H19", "H20", "H21", "M20",
               "Z11", "Z12", "Z13", "Z14"]
              + ["N%02d" % n for n in range(2, 20)])

API_HOST = "api.tokyometroapp.jp"
VOCABULARY_HOST = "vocab.tokyometroapp.jp"

# The one record whose published identifiers are known here, and its layout.
PUBLISHED = {
    "odpt.Station:TokyoMetro.Ginza.AoyamaItchome": {
        "id": "urn:ucode:_00001C000000000000010000030C46B5",
        "connectingRailway": '["odpt.Railway:TokyoMetro.Hanzomon","odpt.Railway:Toei.Oedo"]',
    },
}
PUBLISHED_LAYOUT = {"青山一丁目": (233, 322)}

LAYOUT_LEFT, LAYOUT_RIGHT, LAYOUT_TOP, LAYOUT_BOTTOM = 26, 746, 18, 467


def parse_rows():
    records = []
    for railway_part, text in ROWS:
        for row in text.split(";"):
            code, part, title = row.split()
            records.append({"railway_part": railway_part, "code": code,
                            "part": part, "title": title})
    return records


def parse_places():
    places = {}
    for item in PLACES.replace("\n", ";").split(";"):
        if item.strip():
            title, lat, lon = item.split()
            places[title] = (lat, lon)
    return places


def c_text(s):
    return '"' + s.replace("\\", "\\\\").replace('"', '\\"') + '"'


def json_array(items):
    return "[" + ",".join('"%s"' % i for i in items) + "]"


def main():
    records = parse_rows()
    places = parse_places()
    if len(records) != 180:
        sys.exit("expected 180 records, got %d" % len(records))
    missing = {r["title"] for r in records} - places.keys()
    if missing:
        sys.exit("titles without coordinates: %s" % sorted(missing))

    lats = [float(p[0]) for p in places.values()]
    lons = [float(p[1]) for p in places.values()]
    north, south, east, west = max(lats), min(lats), max(lons), min(lons)

    out = sys.stdout
    out.write("""\
// The 180 station records, one per station and railway, in railway order.
// Generated by tools/gen_station_table.py; edit the rows there.
//
// RULES for the fields whose published values are not carried here:
//  - id: the published "@id" of Ginza.AoyamaItchome; every other record gets
//    "urn:ucode:_" + 28 zeros + its 1-based position in this file as 4 hex
//    digits (the all-zero prefix marks it as made here, not published).
//  - region: "https://%(api)s/api/v2/places/" + id + ".geojson".
//  - connectingRailway: the published value of Ginza.AoyamaItchome; otherwise
//    the railways of the other records with the same title, in the order of
//    this file.
//  - facility: "odpt.StationFacility:TokyoMetro." + the station part of sameAs.
//  - passengerSurvey: "odpt.PassengerSurvey:TokyoMetro." + the station part +
//    ".2013", ".2012" and ".2011".
//  - exits: "[]" (no exit identifiers are carried).
//  - layoutX, layoutY: 233, 322 for 青山一丁目 as published; otherwise the
//    coordinates mapped linearly so that the westmost and eastmost stations
//    land on x %(left)d and %(right)d and the northmost and southmost on y %(top)d
//    and %(bottom)d, cut toward zero.
#include "network/stations.h"

namespace {

const char stationType[] = "odpt.Station";
const char stationDate[] = "2014-09-03T11:39:51+09:00";
const char stationOperator[] = "odpt.Operator:TokyoMetro";
const char stationContext[] = "http://%(vocab)s/context_odpt_Station.jsonld";

}  // namespace

StationEntry stations[kStationTableSize] = {
""" % {"api": API_HOST, "vocab": VOCABULARY_HOST, "left": LAYOUT_LEFT,
       "right": LAYOUT_RIGHT, "top": LAYOUT_TOP, "bottom": LAYOUT_BOTTOM})

    for n, r in enumerate(records, start=1):
        railway = "odpt.Railway:TokyoMetro." + r["railway_part"]
        same_as = "odpt.Station:TokyoMetro.%s.%s" % (r["railway_part"], r["part"])
        published = PUBLISHED.get(same_as, {})
        ident = published.get("id", "urn:ucode:_" + "0" * 28 + "%04X" % n)
        others = []
        for o in records:
            other = "odpt.Railway:TokyoMetro." + o["railway_part"]
            if o["title"] == r["title"] and other != railway and other not in others:
                others.append(other)
        connecting = published.get("connectingRailway", json_array(others))
        surveys = json_array("odpt.PassengerSurvey:TokyoMetro.%s.%d" % (r["part"], y)
                             for y in (2013, 2012, 2011))
        lat, lon = places[r["title"]]
        if r["title"] in PUBLISHED_LAYOUT:
            x, y = PUBLISHED_LAYOUT[r["title"]]
        else:
            x = LAYOUT_LEFT + int((float(lon) - west) / (east - west)
                                  * (LAYOUT_RIGHT - LAYOUT_LEFT))
            y = LAYOUT_TOP + int((north - float(lat)) / (north - south)
                                 * (LAYOUT_BOTTOM - LAYOUT_TOP))
        direction = 0 if r["code"] in HORIZONTAL else 1
        out.write("    {%s, stationType,\n" % c_text(ident))
        out.write("     %s, stationDate, %s,\n" % (c_text(same_as), c_text(r["title"])))
        out.write("     %s,\n" % c_text("https://%s/api/v2/places/%s.geojson" % (API_HOST, ident)))
        out.write("     stationOperator, %s,\n" % c_text(railway))
        out.write("     %s,\n" % c_text(connecting))
        out.write("     %s,\n" % c_text("odpt.StationFacility:TokyoMetro." + r["part"]))
        out.write("     %s,\n" % c_text(surveys))
        out.write("     %s, \"[]\", stationContext, %d, %d, %d, %sf, %sf},\n"
                  % (c_text(r["code"]), x, y, direction, lat, lon))
    out.write("};\n")


if __name__ == "__main__":
    main()
