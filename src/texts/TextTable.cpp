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
    u"Finishing the firmware upgrade before closing...",
    u"Fin de la mise à jour du firmware avant fermeture...",
    u"Completamento aggiornamento firmware prima della chiusura...",
    u"Firmware-Update wird vor dem Schließen beendet...",
    u"Kończenie aktualizacji oprogramowania przed zamknięciem...",
    u"Terminando la actualizacion del firmware antes de cerrar...",
    // 48
    u"Finishing the factory default before closing...",
    u"Fin de l'enregistrement usine avant fermeture...",
    u"Completamento salvataggio di fabbrica prima della chiusura...",
    u"Werkseinstellung wird vor dem Schließen gespeichert...",
    u"Kończenie zapisu ustawień fabrycznych przed zamknięciem...",
    u"Terminando la configuracion de fabrica antes de cerrar...",
    // 49
    u"Finishing the log download before closing...",
    u"Fin du téléchargement des logs avant fermeture...",
    u"Completamento download dei log prima della chiusura...",
    u"Log-Download wird vor dem Schließen beendet...",
    u"Kończenie pobierania logów przed zamknięciem...",
    u"Terminando la descarga de logs antes de cerrar...",
    // 50
    u"Sending the last changes before closing...",
    u"Envoi des dernières modifications avant fermeture...",
    u"Invio delle ultime modifiche prima della chiusura...",
    u"Letzte Änderungen werden vor dem Schließen gesendet...",
    u"Wysyłanie ostatnich zmian przed zamknięciem...",
    u"Enviando los ultimos cambios antes de cerrar...",
    // 51
    u"Already closing: please wait until the device work has finished.",
    u"Fermeture en cours : attendez la fin du travail sur l'appareil.",
    u"Chiusura in corso: attendere la fine delle operazioni sul dispositivo.",
    u"Wird bereits geschlossen: bitte warten, bis das Gerät fertig ist.",
    u"Trwa zamykanie: poczekaj na zakończenie pracy z urządzeniem.",
    u"Cerrando: espere a que termine el trabajo con el equipo.",
    // 52
    u"Back up failed: %1.",
    u"Échec de la sauvegarde : %1.",
    u"Backup non riuscito: %1.",
    u"Sicherung fehlgeschlagen: %1.",
    u"Kopia zapasowa nieudana: %1.",
    u"Fallo de la copia de seguridad: %1.",
    // 53
    u"Upgrade anyway",
    u"Mettre à jour quand même",
    u"Aggiorna comunque",
    u"Trotzdem aktualisieren",
    u"Aktualizuj mimo to",
    u"Actualizar de todos modos",
    // 54
    u"Connect without upgrading",
    u"Connecter sans mise à jour",
    u"Connetti senza aggiornare",
    u"Ohne Update verbinden",
    u"Połącz bez aktualizacji",
    u"Conectar sin actualizar",
    // 55 to 73: the window's own account of what happened, one entry per line
    u"Changes pending", u"Modifications en attente", u"Modifiche in attesa",
    u"Änderungen ausstehend", u"Zmiany oczekujące", u"Cambios pendientes",
    u"Sending...", u"Envoi...", u"Invio...", u"Senden...", u"Wysyłanie...", u"Enviando...",
    u"Sent %1", u"Envoyé %1", u"Inviato %1", u"Gesendet %1", u"Wysłano %1", u"Enviado %1",
    u"Not applied: %1", u"Non appliqué : %1", u"Non applicato: %1", u"Nicht übernommen: %1",
    u"Nie zastosowano: %1", u"No aplicado: %1",
    u"refused", u"refusé", u"rifiutato", u"abgelehnt", u"odrzucono", u"rechazado",
    u"no answer", u"pas de réponse", u"nessuna risposta", u"keine Antwort", u"brak odpowiedzi",
    u"sin respuesta",
    u"link lost", u"liaison perdue", u"collegamento perso", u"Verbindung verloren",
    u"utracono połączenie", u"enlace perdido",
    u"value invalid", u"valeur invalide", u"valore non valido", u"Wert ungültig",
    u"nieprawidłowa wartość", u"valor no válido",
    u"Send again", u"Renvoyer", u"Invia di nuovo", u"Erneut senden", u"Wyślij ponownie",
    u"Enviar de nuevo",
    u"Activity", u"Activité", u"Attività", u"Aktivität", u"Aktywność", u"Actividad",
    u"sent as %1; %2 to %3", u"envoyé comme %1 ; %2 à %3", u"inviato come %1; da %2 a %3",
    u"gesendet als %1; %2 bis %3", u"wysłano jako %1; od %2 do %3", u"enviado como %1; de %2 a %3",
    u"Expected form: 192.168.1.10", u"Forme attendue : 192.168.1.10",
    u"Formato atteso: 192.168.1.10", u"Erwartete Form: 192.168.1.10",
    u"Oczekiwany format: 192.168.1.10", u"Formato esperado: 192.168.1.10",
    u"Connected to %1", u"Connecté à %1", u"Connesso a %1", u"Verbunden mit %1",
    u"Połączono z %1", u"Conectado a %1",
    u"Link lost", u"Liaison perdue", u"Collegamento perso", u"Verbindung verloren",
    u"Utracono połączenie", u"Enlace perdido",
    u"Nothing to show: this device has no Play/Rec USB.",
    u"Rien à afficher : cet appareil n'a pas de lecture/enregistrement USB.",
    u"Niente da mostrare: questo dispositivo non ha Play/Rec USB.",
    u"Nichts anzuzeigen: dieses Gerät hat kein Play/Rec USB.",
    u"Brak danych: to urządzenie nie ma Play/Rec USB.",
    u"Nada que mostrar: este equipo no tiene Play/Rec USB.",
    u"Shown in advanced or manufacturer mode only.",
    u"Affiché en mode avancé ou fabricant seulement.",
    u"Mostrato solo in modalità avanzata o produttore.",
    u"Nur im erweiterten oder Herstellermodus angezeigt.",
    u"Widoczne tylko w trybie zaawansowanym lub producenta.",
    u"Solo se muestra en modo avanzado o de fabricante.",
    u"EDID repaired: unplug and replug the HDMI source.",
    u"EDID réparé : débrancher et rebrancher la source HDMI.",
    u"EDID riparato: scollegare e ricollegare la sorgente HDMI.",
    u"EDID repariert: HDMI-Quelle ab- und wieder anstecken.",
    u"EDID naprawiony: odłącz i podłącz ponownie źródło HDMI.",
    u"EDID reparado: desconecte y vuelva a conectar la fuente HDMI.",
    u"EDID repair failed: no answer; try again.",
    u"Échec de la réparation EDID : pas de réponse ; réessayer.",
    u"Riparazione EDID fallita: nessuna risposta; riprovare.",
    u"EDID-Reparatur fehlgeschlagen: keine Antwort; erneut versuchen.",
    u"Naprawa EDID nieudana: brak odpowiedzi; spróbuj ponownie.",
    u"Reparación EDID fallida: sin respuesta; inténtelo de nuevo.",
    u"The device will move to %1; the window will look for it there",
    u"L'appareil va passer à %1 ; la fenêtre le cherchera là",
    u"Il dispositivo passerà a %1; la finestra lo cercherà lì",
    u"Das Gerät wechselt zu %1; das Fenster sucht es dort",
    u"Urządzenie przejdzie na %1; okno będzie go tam szukać",
    u"El equipo pasará a %1; la ventana lo buscará allí",
    // 74
    u"Backup saved: %1",
    u"Sauvegarde enregistrée : %1",
    u"Backup salvato: %1",
    u"Sicherung gespeichert: %1",
    u"Kopia zapisana: %1",
    u"Copia guardada: %1",
    // 75
    u"No backup, nothing written: %1",
    u"Pas de sauvegarde, rien n'a été écrit : %1",
    u"Nessun backup, nulla è stato scritto: %1",
    u"Keine Sicherung, nichts geschrieben: %1",
    u"Brak kopii, nic nie zapisano: %1",
    u"Sin copia, no se ha escrito nada: %1",
    // 76
    u"Connection changed: nothing sent",
    u"Connexion changée : rien n'a été envoyé",
    u"Connessione cambiata: nulla è stato inviato",
    u"Verbindung gewechselt: nichts gesendet",
    u"Połączenie zmienione: nic nie wysłano",
    u"Conexión cambiada: no se ha enviado nada",
    // 77
    u"The last changes did not reach %1 before its link was lost:\n%2\nSend them now?",
    u"Les dernières modifications n'ont pas atteint %1 avant la perte de la liaison :\n%2\n"
    u"Les envoyer maintenant ?",
    u"Le ultime modifiche non hanno raggiunto %1 prima della perdita del collegamento:\n%2\n"
    u"Inviarle ora?",
    u"Die letzten Änderungen haben %1 vor dem Verbindungsverlust nicht erreicht:\n%2\n"
    u"Jetzt senden?",
    u"Ostatnie zmiany nie dotarły do %1 przed utratą połączenia:\n%2\nWysłać je teraz?",
    u"Los últimos cambios no llegaron a %1 antes de perder el enlace:\n%2\n¿Enviarlos ahora?",
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
