#include "texts/TextTable.h"

namespace ostrivane {

// Six strings per entry, in language order EN FR IT DE PO ES. Where a language has no wording
// of its own (Polish in entries 35 to 38, for instance) it carries the English or shorter
// English text on purpose; these are shown to installers exactly as stored.
// clang-format off
const char16_t* const TextTable[kTextEntries * kLanguages] = {
    // 0
    u"Waiting connection...",
    u"Attente connection...",
    u"Attesa connessione...",
    u"Warte auf Verbindung...",
    u"Oczekujące połączenie...",
    u"Atendiendo conexion...",
    // 1
    u"Hardware connected",
    u"Matériel connecté",
    u"Hardware connesso",
    u"Hardware vebunden",
    u"Urządzenie podłączone",
    u"Unidad conectada",
    // 2
    u"Configuration Error",
    u"Erreur Configuration",
    u"Errore di configurazione",
    u"Konfigurationsfehler",
    u"Błąd konfiguracji",
    u"Error de configuracion",
    // 3
    u"upgrade to release ",
    u"mise à jour en version ",
    u"Upgrade disponibile ",
    u"Upgrade verfügbar ",
    u"Dostępna wersja oprog. ",
    u"Actualizar a la version ",
    // 4
    u"write error !",
    u"erreur écriture !",
    u"Errore di scrittura !",
    u"Schreibfehler !",
    u"Błąd zapisu !",
    u"Error de copia !",
    // 5
    u"verification error !",
    u"erreur vérification !",
    u"Errore di verfica !",
    u"Prüfungsfehler !",
    u"Błąd weryfikacji !",
    u"Compruebe error !",
    // 6
    u"verifying...",
    u"vérification...",
    u"verifica...",
    u"Überprüfung...",
    u"weryffikacja...",
    u"Comprobar...",
    // 7
    u"Rebooting...",
    u"Redémarrage...",
    u"Riavvio...",
    u"Neustart...",
    u"Ponowny start...",
    u"Reiniciar...",
    // 8
    u"Freq. (kHz) :",
    u"Fréq. (kHz) :",
    u"Freq. (kHz) :",
    u"Freq. (kHz) :",
    u"Czest. (khz):",
    u"Frec. (khz) :",
    // 9
    u"TS Id. :",
    u"TS Id. :",
    u"TS Id. :",
    u"TS. Id. :",
    u"TS. Id. :",
    u"TS Id. :",
    // 10
    u"Mode :",
    u"Mode :",
    u"Modo :",
    u"Modus :",
    u"Tryb :",
    u"Moda :",
    // 11
    u"Const. :",
    u"Const. :",
    u"Const. :",
    u"Konst. :",
    u"Konst. :",
    u"Const. :",
    // 12
    u"Bandwidth :",
    u"L. Bande :",
    u"Banda :",
    u"Bandbreite :",
    u"Pasmo :",
    u"Banda :",
    // 13
    u"F.E.C. :",
    u"F.E.C. :",
    u"F.E.C. :",
    u"F.E.C. :",
    u"F.E.C. :",
    u"F.E.C. :",
    // 14
    u"Guard Int. :",
    u"Int. Garde :",
    u"Int. guardia :",
    u"Guard Int. :",
    u"G. Interwal :",
    u"Int. Guarde :",
    // 15
    u"Level Att. :",
    u"Niveau Att. :",
    u"Att. Livello :",
    u"Pegelsteller :",
    u"TLum. :",
    u"Att. nivel :",
    // 16
    u"Network",
    u"Réseau",
    u"Rete",
    u"Netzwerk",
    u"Sieć",
    u"Red",
    // 17
    u"Original Id. :",
    u"Original Id. :",
    u"Original Id. :",
    u"Original Id. :",
    u"Original Id. :",
    u"Original Id. :",
    // 18
    u"Id. :",
    u"Id. :",
    u"Id. :",
    u"Id. :",
    u"Id. :",
    u"Id. :",
    // 19
    u"Name :",
    u"Nom :",
    u"Nome :",
    u"Name :",
    u"Nazwa :",
    u"Nombre :",
    // 20
    u"Service",
    u"Programme",
    u"Programma",
    u"Service",
    u"Program",
    u"Programa :",
    // 21
    u"Id. LCN :",
    u"LCN Id. :",
    u"LCN Id. :",
    u"LCN Id. :",
    u"LCN Id. :",
    u"LCN Id. :",
    // 22
    u"LCN :",
    u"LCN :",
    u"LCN :",
    u"LCN :",
    u"LCN :",
    u"LCN :",
    // 23
    u"HD LCN :",
    u"HD LCN :",
    u"HD LCN :",
    u"HD LCN :",
    u"HD LCN :",
    u"HD LCN :",
    // 24
    u"PMT PID :",
    u"PMT PID :",
    u"PMT PID :",
    u"PMT PID :",
    u"PMT PID :",
    u"PMT PID :",
    // 25
    u"Video PID:",
    u"Vidéo PID :",
    u"Video PID :",
    u"Video PID :",
    u"Video PID :",
    u"Video PID :",
    // 26
    u"Audio PID :",
    u"Audio PID :",
    u"Audio PID :",
    u"Audio PID :",
    u"Audio PID :",
    u"Audio PID :",
    // 27
    u"Sym. Rate :",
    u"Débit Sym. :",
    u"Sym. Rate :",
    u"Sym. Rate :",
    u"Szykosc symb. :",
    u"Sym. Rate :",
    // 28
    u"Address :",
    u"Adresse :",
    u"Indirizzo :",
    u"Adresse :",
    u"Adres :",
    u"Direccion :",
    // 29
    u"Port :",
    u"Port :",
    u"Port :",
    u"Port :",
    u"Port :",
    u"Puerto :",
    // 30
    u"1/2 frame",
    u"1/2 trame",
    u"1/2 Frame",
    u"1/2 bild",
    u"1/2 Ramek",
    u"1/2 marco",
    // 31
    u"HDMI-PCM Volume :",
    u"Volume HDMI-PCM :",
    u"Volume HDMI-PCM :",
    u"HDMI-PCM volumen :",
    u"Wart. audio HDMI-PCM :",
    u"HDMI-PCM volumen :",
    // 32
    u"Allow VBR",
    u"Autor. VBR",
    u"Autor. VBR",
    u"Ermacht. VBR",
    u"Autor. VBR",
    u"autor. VBR",
    // 33
    u"Name :",
    u"Nom :",
    u"Nome :",
    u"Name :",
    u"Nazwa :",
    u"Nombre :",
    // 34
    u"Text :",
    u"Texte :",
    u"Testo :",
    u"Text :",
    u"Tekst :",
    u"Texto :",
    // 35
    u"WAIT. DO NOT POWER OFF...",
    u"ATTENDRE. Ne pas mettre hors tension...",
    u"ATTENDERE. Non spegnere l'unità...",
    u"WARTEN. Das gerät nicht vomnets nehmen...",
    u"WAIT. DO NOT POWER OFF...",
    u"ESPERE. No desconecte el equipo de la corriente...",
    // 36
    u"Do you confirm repairing the EDID table ?\n"
    u"This function is only required if no more sound comes out of the modulator "
    u"and if forcing HDMI-LPCM audio is required.",
    u"Confirmez vous vouloir reparer la table EDID ?\n"
    u"Cette fonction n'est à utiliser qu'au cas où aucun son ne sorte plus du "
    u"modulateur et que le forçage du mode HDMI-LPCM est requis.",
    u"Do you confirm repairing the EDID table ?\n"
    u"This function is only required if no more sound comes out of the modulator "
    u"and if forcing HDMI-LPCM audio is required.",
    u"Do you confirm repairing the EDID table ?\n"
    u"This function is only required if no more sound comes out of the modulator "
    u"and if forcing HDMI-LPCM audio is required.",
    u"Do you confirm repairing the EDID table ?\n"
    u"This function is only required if no more sound comes out of the modulator "
    u"and if forcing HDMI-LPCM audio is required.",
    u"¿Confirma que quiere repara la tabla EDID? Esta función solo se requiere si "
    u"no hay sonido a la salida del modulador y se requiere forzar el audio a "
    u"HDMI-LPCM.",
    // 37
    u"Please remove the HDMI cable from the modulator and then confirm.",
    u"Veuillez retirer le cable HDMI du modulateur et confirmer svp.",
    u"Please remove HDMI cable from modulator and then confirm.",
    u"Please remove HDMI cable from modulator and then confirm.",
    u"Please remove HDMI cable from modulator and then confirm.",
    u"Por favor quitar el cable HDMI del modulador y confirmar.",
    // 38
    u"EDID table programming, wait...",
    u"Programmation de la table EDID en cours, attendre...",
    u"EDID table programming, wait...",
    u"EDID table programming, wait...",
    u"EDID table programming, wait...",
    u"Table EDID reprogramándose, esperar...",
    // 39
    u"Init...",
    u"Init...",
    u"Init...",
    u"Init...",
    u"Init...",
    u"Init...",
    // 40
    u"MULTIPLEX",
    u"MULTIPLEX",
    u"MULTIPLEX",
    u"MULTIPLEX",
    u"MULTIPLEX",
    u"MULTIPLEX",
    // 41
    u"SERVICE",
    u"SERVICE",
    u"SERVIZIO ",
    u"DIENSTLEISTUNG ",
    u"SERWIS",
    u"SERVICIO",
    // 42
    u"MISC.",
    u"DIVERS",
    u"VARI",
    u"VERSCHIEDEN",
    u"RÓŻNE",
    u"VARIOS",
    // 43
    u"Choose the modulator:",
    u"Choisir le modulateur :",
    u"Scegli il modulatore:",
    u"Modulator auswählen:",
    u"Wybierz modulator:",
    u"Elija el modulador:",
    // 44
    u"Connect",
    u"Connecter",
    u"Connetti",
    u"Verbinden",
    u"Połącz",
    u"Conectar",
    // 45
    u"Change device",
    u"Changer d'appareil",
    u"Cambia dispositivo",
    u"Gerät wechseln",
    u"Zmień urządzenie",
    u"Cambiar equipo",
    // 46
    u"Modulators on the network",
    u"Modulateurs du réseau",
    u"Modulatori in rete",
    u"Modulatoren im Netzwerk",
    u"Modulatory w sieci",
    u"Moduladores en la red",
    // 47
    u"Backup saved: %1",
    u"Sauvegarde enregistrée : %1",
    u"Backup salvato: %1",
    u"Sicherung gespeichert: %1",
    u"Kopia zapisana: %1",
    u"Copia guardada: %1",
    // 48
    u"No backup, nothing written: %1",
    u"Pas de sauvegarde, rien n'a été écrit : %1",
    u"Nessun backup, nulla è stato scritto: %1",
    u"Keine Sicherung, nichts geschrieben: %1",
    u"Brak kopii, nic nie zapisano: %1",
    u"Sin copia, no se ha escrito nada: %1",
};

const char16_t* const WeekdayLetters[kWeekdays * kLanguages] = {
    // EN  FR    IT    DE    PO    ES
    u"M", u"L", u"M", u"M", u"M", u"M",  // Monday
    u"T", u"M", u"T", u"T", u"T", u"T",  // Tuesday
    u"W", u"M", u"W", u"W", u"W", u"W",  // Wednesday
    u"T", u"J", u"T", u"T", u"T", u"T",  // Thursday
    u"F", u"V", u"F", u"F", u"F", u"F",  // Friday
    u"S", u"S", u"S", u"S", u"S", u"S",  // Saturday
    u"S", u"D", u"S", u"S", u"S", u"S",  // Sunday
};
// clang-format on

namespace {

bool IsLanguage(int languageIndex) {
  return languageIndex >= 0 && languageIndex < kLanguages;
}

}  // namespace

QString LocalText(int entry, int languageIndex) {
  if (entry < 0 || entry >= kTextEntries || !IsLanguage(languageIndex)) return {};
  return QString::fromUtf16(TextTable[entry * kLanguages + languageIndex]);
}

QString WeekdayLetter(int day, int languageIndex) {
  if (day < 0 || day >= kWeekdays || !IsLanguage(languageIndex)) return {};
  return QString::fromUtf16(WeekdayLetters[day * kLanguages + languageIndex]);
}

}  // namespace ostrivane
