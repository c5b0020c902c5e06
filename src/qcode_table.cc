#include "qcode_table.h"

// The texts are kept exactly as the table gives them, slips and all ("konci
// konci", "zpravu(y)\x85 ?", a space before a comma, ".." for "..."): the
// quiz asks what the table says, so mend none of them here.
// The expressions are Windows-1250 bytes written as escapes: \x84 and \x93 are
// the low and high double quotes, \x85 an ellipsis, \x96 an en dash. A hex
// escape swallows every hex digit after it, so a literal is split where a
// digit follows one.
qcode_array make_qcode_table() {
  return {{
      // Czech: one text per entry, a blank is a single ellipsis byte.
      {"QAZ", "Mistni bourka \x96 vypinam stanici"},
      {"QCZ", "Narusujete pravidla radioveho provozu"},
      {"QHL", "Posloucham od horniho konce pasma k dolnimu"},
      {"QHM", "Posloucham od horniho konce pasma ke stredu"},
      {"QLH", "Posloucham od dolniho konce pasma k hornimu"},
      {"QML", "Posloucham od stredu pasma k dolnimu konci konci"},
      {"QQQ", "Musim okamzite prerusit spojeni, vysvetlim pozdeji"},
      {"QRA",
       "Jake je jmeno (volaci znak Vasi) stanice ? Jmeno (volaci znak) me "
       "stanice je \x85"},
      {"QRB",
       "Jaka je priblizna vzdalenost mezi nami ? Vzdalenost mezi nami je "
       "priblizne \x85 km"},
      {"QRG", "Jaky je muj presny kmitocet ? Vas kmitocet je \x85 kHz"},
      {"QRH", "Meni se muj kmitocet? Vas kmitocet se meni (\x84ujizdi\x93)"},
      {"QRI", "Meni se muj ton? Vas ton se meni"},
      {"QRJ",
       "Prijimate me spatne? Nemohu Vas prijimat. Vas signal je velmi slaby"},
      {"QRK",
       "Prijimate me dobre? Vas signal je 1\x96"
       "5 (dokonale cisty)"},
      {"QRL",
       "Jste zamestnan (nemate pro mne cas ?) Nemam pro Vas cas (pracuji s "
       "\x85) , prosim neruste"},
      {"QRM", "Jste rusen v poslechu ? Jsem rusen (stanici \x85)"},
      {"QRN",
       "Mate potize s atmosferickym rusenim ? Prijem je znesnadnen "
       "atmosferickym rusenim"},
      {"QRO", "Mam zvysit prikon? Zvyste prikon!"},
      {"QRP", "Mam snizit prikon? Snizte prikon!"},
      {"QRQ", "Mam vysilat rychleji? Vysilejte rychleji!"},
      {"QRS", "Mam vysilat pomaleji? Vysilejte pomaleji!"},
      {"QRT", "Mam prestat vysilat? Prestante vysilat! (Zakoncuji vysilani)"},
      {"QRU", "Chcete mi jeste neco sdelit? Nemam Vam uz co rici"},
      {"QRV", "Jste pripraven? Jsem pripraven. Zacnete!"},
      {"QRW",
       "Mam sdelit stanici \x85 ze volate na \x85 kHz? Prosim oznamte stanici "
       "\x85 , ze ji volam na .. kHz!"},
      {"QRX",
       "Mam pockat az mne zavolate? Cekejte \x85 (minut, hodin). Zavolam Vas "
       "(casovy udaj)"},
      {"QRY", "Kdy prijdu na radu? Prijdete na radu po \x85"},
      {"QRZ", "Vola me nekdo? Kdo me vola ? Vola Vas \x85"},
      {"QSA",
       "Jak silny je muj signal? Sila Vaseho signalu je 1 az 5 (nejsilnejsi)"},
      {"QSB", "Ma muj signal unik? Vas signal ma unik"},
      {"QSD", "Klicuji spravne? Klicujete nepresne"},
      {"QSF",
       "Vysilejte na \x85 kHz a vratte se zpet na dosavadni kmitocet, "
       "nebude-li behem 5 minut navazano spojeni"},
      {"QSG", "Mam poslat skupinu \x85 zprav? Posilam skupinu \x85 zprav."},
      {"QSH", "Neslysim Vas na \x85 kHz"},
      {"QSI", "Nemohl jsem Vas (nebo stanici \x85) prerusit"},
      {"QSK", "Muzete pracovat provozem BK? Mohu pracovat BK provozem"},
      {"QSL",
       "Muzete mi pisemne potvrdit prijem? Potvrdim Vam pisemne prijem (poslu "
       "Vam svuj stanicni listek)"},
      {"QSM",
       "Mam opakovat posledni zpravu (\x85 poslednich zprav)? Opakujte "
       "posledni zpravu (\x85 poslednich zprav)."},
      {"QSN", "Poslouchal jsem Vas (nebo stanici \x85) na \x85 kHz"},
      {"QSO",
       "Muzete navazat spojeni? Mohu navazat spojeni (oboustranne spojeni)"},
      {"QSP",
       "Muzete predat (zprostredkovat) predani Mohu predat zpravu \x85 "
       "zpravu(y)\x85 ?"},
      {"QSQ",
       "Mam vysilat slova (skupiny) jen jednou? Vysilejte slova (skupiny) jen "
       "jednou"},
      {"QST", "Sdeleni vsem radioamaterum"},
      {"QSU",
       "Mam vysilat (odpoved) na tomto kmitoctu? Vysilejte (odpovezte) na "
       "tomto kmitoctu"},
      {"QSV",
       "Mam vysilat radu \x84V\x93 pro naladeni? Vyslete radu \x84V\x93 pro "
       "naladeni"},
      {"QSW",
       "Budete vysilat na kmitoctu \x85 kHz? Budu vysilat na kmitoctu \x85 "
       "kHz"},
      {"QSX",
       "Budete poslouchat na kmitoctu \x85 kHz? Posloucham na kmitoctu \x85 "
       "kHz"},
      {"QSY", "Mam preladit (na \x85 kHz)? Preladte se na \x85 kHz!"},
      {"QSZ",
       "Mam vysilat kazde slovo (skupinu) dvakrat? Vysilejte kazde slovo "
       "(skupinu) dvakrat"},
      {"QTC", "Mate pro mne zpravu (telegram)? Mam pro Vas zpravu (telegram)"},
      {"QTH",
       "Jake je Vase stanoviste (bydliste)? Moje stanoviste (bydliste) je "
       "\x85"},
      {"QTR", "Kolik je presne hodin? Presny cas je \x85"},
      {"QTU", "Kdy bude Vase stanice opet v provozu? Budu vysilat opet v \x85"},
      {"QWN", "Davejte pozor, odpovida vam radiova stanice \x85"},
      {"QXX",
       "Vas operator neni schopen zajistit normalni korespondenci, zadam o "
       "jeho vymenu"},
      {"QYB", "Spesne odpovezte na nas telegram cis. \x85"},
      {"QZF",
       "Mam se naladit presne na Vas kmitocet ? Naladte se presne na muj "
       "kmitocet"},
      // Slovak: question and answer split by a tab, "..." for a blank.
      {"QRA",
       "Aka je volacia znacka vasej stanice?\tVolacia znacka mojej stanice je "
       "..."},
      {"QRB",
       "Aka je vzdialenost medzi nasimi stanicami?\tVzdialenost medzi nasimi "
       "stanicami je ... km."},
      {"QRG", "Aka je moja frekvencia?\tVasa frekvencia je ... kHz (MHz)."},
      {"QRL",
       "Ste zamestnany (zaneprazdneny)?\tSom zamestnany (zaneprazdneny)."},
      {"QRM", "Ste ruseny inymi stanicami?\tSom ruseny inymi stanicami."},
      {"QRN",
       "Ste ruseny atmosferickymi poruchami?\tSom ruseny atmosferickymi "
       "poruchami."},
      {"QRO", "Mam (mozete) zvysit vysielaci vykon?\tZvyste vysielaci vykon."},
      {"QRP", "Mam (mozete) znizit vysielaci vykon?\tZnizte vysielaci vykon."},
      {"QRQ", "Mam (mozete) vysielat rychlejsie?\tVysielajte rychlejsie."},
      {"QRS", "Mam (mozem) vysielat pomalsie?\tVysielajte pomalsie."},
      {"QRT", "Mam prestat vysielat?\tPrestante vysielat."},
      {"QRU", "Mate pre mna nieco?\tNemam pre vas nic."},
      {"QRV", "Ste pripraveny?\tSom pripraveny."},
      {"QRX",
       "Mam cakat kedy ma zavolate?\tCakajte ... min (hod). Zavolam vas o ..."},
      {"QRZ", "Kto ma vola?\tVola vas ..."},
      {"QSB", "Kolisa sila mojho signalu?\tSila vasho signalu kolisa."},
      {"QSL", "Mozete mi potvrdit prijem?\tPotvrdzujem prijem."},
      {"QSO", "Mozete pracovat s ... ?\tMozem pracovat s ..."},
      {"QSO", "Oznacenie radioamaterskeho spojenia"},
      {"QSP", "Mozete sprostredkovat spravu?\tMozem sprostredkovat spravu."},
      {"QSV", "Mam vysielat radu V?\tVysielajte radu V."},
      {"QSX", "Budete pocuvat na frekvencii ... kHz?\tPocuvam na ... kHz."},
      {"QSY",
       "Mam sa preladit na inu frekvenciu?\tPreladte sa na inu frekvenciu."},
      {"QTC", "Mate pre mna spravu?\tMam pre vas spravu."},
      {"QTH", "Ake je vase stanovisko?\tMoje stanovisko je ..."},
      {"QTR", "Aky je presny cas?\tPresny cas je ..."},
      {"QZF",
       "Mam sa naladit presne na vasu frekvenciu?\tNaladte sa presne na moju "
       "frekvenciu."},
  }};
}
