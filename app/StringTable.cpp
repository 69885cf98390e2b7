#include "app/StringTable.h"

#include "platform/Text1252.h"

namespace vx {
namespace {

struct Entry {
    int index;          // id - 5100 for German
    const char* de;
    const char* en;
    const char* fr;
    const char* es;
};

// UTF-8 here; handed out as code page 1252. Null: that language has none.
constexpr Entry kTexts[] = {
    {0, "Auslesen", "Read", "Lire", "Leer"},
    {1, "Senden", "Write", "Envoyer", "Enviar"},
    {2, "Sichern", "Save", "Enregistrer", "Guardar"},
    {3, "Einrichten", "Setup", "Configuration", "Configuración"},
    {4, "Datenlogger", "Data logger", "Enregistreur", "Registrador"},
    {5, "Löschen", "Delete", "Effacer", "Borrar"},
    {6, "Übernehmen", "Accept", "Appliquer", "Aceptar"},
    {7, "in HEX", "in HEX", "en HEX", "en HEX"},
    {8, "Datei", "File", "Fichier", "Archivo"},
    {9, "Öffnen", "Open", "Ouvrir", "Abrir"},
    {10, "Speichern", "Save", "Enregistrer", "Guardar"},
    {11, "Drucken", "Print", "Imprimer", "Imprimir"},
    {12, "Beenden", "Exit", "Quitter", "Salir"},
    {13, "Optionen", "Options", "Options", "Opciones"},
    {14, "Dokumentation...", "Documentation...", "Documentation...", "Documentación..."},
    {15, "Terminal", "Terminal", "Terminal", "Terminal"},
    {16, "Schnittstelle", "COM Port", "Port COM", "Puerto COM"},
    {17, "Überschrift", "Headline", "Titre", "Título"},
    {18, "Kommentar", "Comment", "Commentaire", "Comentario"},
    {19, "Zeilenende", "Line end", "Fin de ligne", "Fin de línea"},
    {20, "Spaltentrenner", "Column separator", "Séparateur de colonnes", "Separador de columnas"},
    {21, "Dezimaltrenner", "Decimal separator", "Séparateur décimal", "Separador decimal"},
    {22, "Firmenkopf", "Header", "En-tête", "Encabezado"},
    {23, "Datum", "Date", "Date", "Fecha"},
    {24, "Parameter", "Parameter", "Paramètres", "Parámetros"},
    {25, "AKT_mKON", "ACTwCON", "ACT_aCON", "ACT_cCON"},
    {26, "AKT_oKON", "ACTnCON", "ACT_sCON", "ACT_sCON"},
    {27, "PAS_mKON", "PASwCON", "PAS_aCON", "PAS_cCON"},
    {28, "PAS_oKON", "PASnCON", "PAS_sCON", "PAS_sCON"},
    {29, "STROM", "CURRENT", "COURANT", "CORRIENTE"},
    {30, "Unbekannt", "Unknown", "Inconnu", "Desconocido"},
    {31, "Befehle", "Command", "Commandes", "Comandos"},
    {32, "Status", "Status", "État", "Estado"},
    {33, "Status long", "Status long", "État détaillé", "Estado detallado"},
    {34, "Sensorparameter", "Sensor Parameter", "Paramètres du capteur", "Parámetros del sensor"},
    {35, "Version Nr.", "Version No.", "Version n°", "Versión n.º"},
    {36, "Messen Konfiguration", "Control Mode", "Configuration de mesure", "Configuración de medida"},
    {37, "Diagrammtyp", "Diagram Type", "Type de diagramme", "Tipo de diagrama"},
    {38, "Konstante", "Constant", "Constante", "Constante"},
    {39, "Darstellen", "Display", "Afficher", "Mostrar"},
    {40, "Schnittstellenauswahl", "Interface selection", "Choix de l'interface", "Selección de interfaz"},
    {41, "Schnittstellenanbindung", "Interface Connection", "Connexion de l'interface", "Conexión de interfaz"},
    {42, "seriell", "serial", "série", "serie"},
    {43, "parallel", "parallel", "parallèle", "paralelo"},
    {44, " mit Y-Kabel", " with Y cable", " avec câble en Y", " con cable en Y"},
    {45, "parallel PC gesteuert", "parallel PC controlled", "parallèle piloté par PC", "paralelo controlado por PC"},
    {46, "Abbrechen", "Cancel", "Annuler", "Cancelar"},
    {47, "Kanal", "Ch", "Canal", "Canal"},
    {48, "Grenzwert", "Limit Value", "Valeur limite", "Valor límite"},
    {49, "aus", "off", "arrêt", "apagado"},
    {50, "Messen", "Measure", "Mesurer", "Medir"},
    {51, "Start", "Start", "Démarrer", "Iniciar"},
    {52, "Stop", "Stopp", "Arrêt", "Parar"},
    {53, "Kontrolle ein", "Control on", "Contrôle marche", "Control activado"},
    {54, "Kontrolle aus", "Control off", "Contrôle arrêt", "Control desactivado"},
    {55, "Tara", "Tare", "Tare", "Tara"},
    {56, "MIN Reset", "MIN Reset", "RAZ MIN", "Reset MIN"},
    {57, "MAX Reset", "MAX Reset", "RAZ MAX", "Reset MAX"},
    {58, "Steuern", "Control", "Commande", "Control"},
    {59, "Messmode", "Measuring Mode", "Mode de mesure", "Modo de medida"},
    {60, "Sprache", "Language", "Langue", "Idioma"},
    {61, "Info", "Info", "Info", "Info"},
    {62, "Baud", "Baud", "Baud", "Baudios"},
    {63, "SCI Mode", "SCI Mode", "Mode SCI", "Modo SCI"},
    {64, "Adresse", "Address", "Adresse", "Dirección"},
    {65, "Rate", "Rate", "Cadence", "Frecuencia"},
    {66, "Mittel", "Average", "Moyenne", "Promedio"},
    {67, "Logg Mode", "Logg Mode", "Mode enregistreur", "Modo registro"},
    {68, "Datum", "Date", "Date", "Fecha"},
    {69, "Uhrzeit", "Time", "Heure", "Hora"},
    {70, "OK", "OK", "OK", "Aceptar"},
    {71, "Baudrate", "Baud rate", "Débit", "Velocidad"},
    {72, "Leerzeichen", "Blank", "Espace", "Espacio"},
    {73, "3 Kalib", "3 Calib", "3 Étal", "3 Calib"},
    {74, "Dokumentation", "Documentation", "Documentation", "Documentación"},
    {75, "Drucken fehlgeschlagen", "Printing failed", "L'impression a échoué", "La impresión ha fallado"},
    {77, "Bezeichnung", "Design", "Désignation", "Designación"},
    {78, "Nennwert", "nom Value", "Valeur nominale", "Valor nominal"},
    {79, "Einheit", "Unit", "Unité", "Unidad"},
    {80, "Sensorjustierung überprüfen,\nda 0% und 100% Last identisch!",
     "Check Sensor adjustment,\n0% and 100% load are identical!",
     "Vérifiez l'ajustage du capteur,\n0% et 100% de charge sont identiques !",
     "¡Compruebe el ajuste del sensor,\n0% y 100% de carga son idénticos!"},
    {81, "Die zehn Sensorzeilen im Gerät werden mit der Tabelle dieser Seite überschrieben. Senden?",
     "The device's ten sensor rows will be overwritten with the table on this page. Send?",
     "Les dix lignes de capteurs de l'appareil seront remplacées par le tableau de cette page. Envoyer ?",
     "Las diez filas de sensores del equipo se sobrescribirán con la tabla de esta página. ¿Enviar?"},
    {82, "Verbindung zum Gerät unterbrochen: Die Parametertabelle wurde nicht vollständig gelesen, und nichts wurde "
         "ins Gerät geschrieben.",
     "Connection to the device lost: the parameter table was not read completely, and nothing was written to the "
     "device.",
     "Connexion avec l'appareil interrompue : le tableau des paramètres n'a pas été lu entièrement et rien n'a été "
     "écrit dans l'appareil.",
     "Conexión con el equipo interrumpida: la tabla de parámetros no se leyó por completo y no se escribió nada en el "
     "equipo."},
    {83, "zu groß für eine Parametertabelle; die Datei wurde nicht gelesen.",
     "too large for a parameter table; the file was not read.",
     "trop volumineux pour un tableau de paramètres ; le fichier n'a pas été lu.",
     "demasiado grande para una tabla de parámetros; el archivo no se ha leído."},
    {85, "phys. Einheit", "Physical unit", "Unité physique", "Unidad física"},
    {86, "Deutsch", "Deutsch", "Deutsch", "Deutsch"},
    {87, "English", "English", "English", "English"},
    {88, "Français", "Français", "Français", "Français"},
    {89, "Español", "Español", "Español", "Español"},
    {97, "Typ", "Type", "Type", "Tipo"},
    {98, "Zeitüberschreitung Kanal", "Timeout Channel", "Dépassement de délai canal", "Tiempo agotado canal"},
    {102, "Verbindung zum Gerät unterbrochen: Die Daten wurden nicht vollständig ausgelesen.",
     "Connection to the device lost: the read-out is incomplete.",
     "Connexion avec l'appareil interrompue : la lecture est incomplète.",
     "Conexión con el equipo interrumpida: la lectura está incompleta."},
    {103,
     "Die Einstellungsdatei war zu groß, um gelesen zu werden, und liegt nun unter dem unten genannten Namen. Das "
     "Programm startet mit den Standardeinstellungen.",
     "The settings file was too large to be read and now lies under the name below. The program starts with the "
     "default settings.",
     "Le fichier de paramètres était trop volumineux pour être lu et se trouve maintenant sous le nom ci-dessous. Le "
     "programme démarre avec les paramètres par défaut.",
     "El archivo de configuración era demasiado grande para leerlo y ahora está con el nombre indicado abajo. El "
     "programa se inicia con la configuración predeterminada."},
    {104,
     "Die Einstellungsdatei ist zu groß, um gelesen zu werden, und konnte nicht umbenannt werden. Das Programm startet "
     "mit den Standardeinstellungen und speichert keine Änderungen.",
     "The settings file is too large to be read and could not be renamed. The program starts with the default "
     "settings and saves no changes.",
     "Le fichier de paramètres est trop volumineux pour être lu et n'a pas pu être renommé. Le programme démarre avec "
     "les paramètres par défaut et n'enregistre aucune modification.",
     "El archivo de configuración es demasiado grande para leerlo y no se pudo renombrar. El programa se inicia con la "
     "configuración predeterminada y no guarda ningún cambio."},
    {105, "Es ist kein Drucker eingerichtet. Im Druckdialog kann in eine PDF-Datei gedruckt werden.",
     "No printer is set up. The print dialog can print to a PDF file instead.",
     "Aucune imprimante n'est configurée. La boîte d'impression peut imprimer dans un fichier PDF.",
     "No hay ninguna impresora configurada. El diálogo de impresión puede imprimir en un archivo PDF."},
    {106, "Die Datei konnte nicht geschrieben werden:", "The file could not be written:",
     "Impossible d'écrire le fichier :", "No se pudo escribir el archivo:"},
    {107, "Verbindung zum Gerät unterbrochen: Messung beendet.", "Connection to the device lost: measurement stopped.",
     "Connexion avec l'appareil interrompue : mesure arrêtée.", "Conexión con el equipo interrumpida: medición detenida."},
    {108,
     "Die Einstellungen konnten nicht gespeichert werden (kein Zugriff oder Datenträger voll); jetzt vorgenommene "
     "Änderungen gehen beim Beenden verloren.",
     "The settings could not be saved (access denied or disk full); changes made now are lost when the program ends.",
     "Les paramètres n'ont pas pu être enregistrés (accès refusé ou disque plein) ; les modifications faites "
     "maintenant seront perdues à la fermeture du programme.",
     "No se pudo guardar la configuración (acceso denegado o disco lleno); los cambios hechos ahora se perderán al "
     "cerrar el programa."},
    {109, "Spaltentrenner und Dezimaltrenner müssen verschieden sein.",
     "The column separator and the decimal separator must differ.",
     "Le séparateur de colonnes et le séparateur décimal doivent être différents.",
     "El separador de columnas y el separador decimal deben ser distintos."},
    {110, "Verbindung zum Gerät unterbrochen: Die Parametertabelle wurde nicht vollständig gelesen.",
     "Connection to the device lost: the parameter table was not read completely.",
     "Connexion avec l'appareil interrompue : le tableau des paramètres n'a pas été lu entièrement.",
     "Conexión con el equipo interrumpida: la tabla de parámetros no se leyó por completo."},
    {111,
     "Das Gerät hat anders geantwortet als beim letzten Auslesen (Firmware-Version oder Werkskalibrierung). Es wurde "
     "nichts ins Gerät geschrieben; Ihre Eingaben bleiben erhalten. Bitte die Tabelle erneut auslesen.",
     "The device answered differently than at the last read (firmware version or factory calibration). Nothing was "
     "written to the device; your entries are kept. Please read the table again.",
     "L'appareil a répondu autrement que lors de la dernière lecture (version du micrologiciel ou étalonnage "
     "d'usine). Rien n'a été écrit dans l'appareil ; vos saisies sont conservées. Veuillez relire le tableau.",
     "El equipo respondió de forma distinta que en la última lectura (versión del firmware o calibración de "
     "fábrica). No se escribió nada en el equipo; sus datos se conservan. Vuelva a leer la tabla."},
    {112,
     "Verbindung zum Gerät beim Schreiben der Zeilen unterbrochen.\nZeilen gesendet, bevor sie abbrach: %1 (die "
     "letzte davon hat das Gerät vielleicht nicht mehr erreicht).\nNicht geschriebene Zeilen: %2.\nIm Gerät können "
     "jetzt neue und alte Zeilen stehen; bitte die Tabelle erneut auslesen, sobald das Gerät wieder da ist.",
     "Connection to the device lost while the rows were being written.\nRows sent before it went: %1 (the last of "
     "them may not have reached the device).\nRows not written: %2.\nThe device may now hold new and old rows; "
     "please read the table again once the device is back.",
     "Connexion avec l'appareil interrompue pendant l'écriture des lignes.\nLignes envoyées avant la coupure : %1 "
     "(la dernière n'a peut-être pas atteint l'appareil).\nLignes non écrites : %2.\nL'appareil peut maintenant "
     "contenir des lignes nouvelles et anciennes ; veuillez relire le tableau dès que l'appareil est de retour.",
     "Conexión con el equipo interrumpida mientras se escribían las filas.\nFilas enviadas antes del corte: %1 (la "
     "última quizá no llegó al equipo).\nFilas no escritas: %2.\nEl equipo puede contener ahora filas nuevas y "
     "antiguas; vuelva a leer la tabla cuando el equipo esté de nuevo disponible."},
    {113, "Verbindung zum Gerät unterbrochen, bevor die Zeilen geschrieben wurden: Es wurde nichts ins Gerät geschrieben.",
     "Connection to the device lost before the rows were written: nothing was written to the device.",
     "Connexion avec l'appareil interrompue avant l'écriture des lignes : rien n'a été écrit dans l'appareil.",
     "Conexión con el equipo interrumpida antes de escribir las filas: no se escribió nada en el equipo."},
    {114,
     "Verbindung zum Gerät gleich nach dem Schreiben der Zeilen unterbrochen: Alle zehn Zeilen wurden gesendet, die "
     "letzte hat das Gerät aber vielleicht nicht mehr erreicht. Bitte die Tabelle erneut auslesen, sobald das Gerät "
     "wieder da ist.",
     "Connection to the device lost just after the rows were written: all ten rows were sent, but the last of them "
     "may not have reached the device. Please read the table again once the device is back.",
     "Connexion avec l'appareil interrompue juste après l'écriture des lignes : les dix lignes ont été envoyées, mais "
     "la dernière n'a peut-être pas atteint l'appareil. Veuillez relire le tableau dès que l'appareil est de retour.",
     "Conexión con el equipo interrumpida justo después de escribir las filas: se enviaron las diez filas, pero la "
     "última quizá no llegó al equipo. Vuelva a leer la tabla cuando el equipo esté de nuevo disponible."},
    {115,
     "Die Seite wurde verlassen, bevor die Tabelle des Geräts erneut gelesen war: Das Senden wurde nicht ausgeführt, "
     "es wurde nichts ins Gerät geschrieben.",
     "The page was left before the device's table had been read again: the send was not carried out and nothing was "
     "written to the device.",
     "La page a été quittée avant que le tableau de l'appareil soit relu : l'envoi n'a pas été effectué et rien n'a "
     "été écrit dans l'appareil.",
     "Se salió de la página antes de volver a leer la tabla del equipo: el envío no se realizó y no se escribió nada "
     "en el equipo."},
    {116, "Das Gerät sendet ununterbrochen: Es wurde nichts gelesen.", "The device keeps sending: nothing was read.",
     "L'appareil émet sans interruption : rien n'a été lu.", "El equipo envía sin interrupción: no se ha leído nada."},
    {122, "Keine vollständige Antwort vom Gerät: Der Firmenkopf wurde nicht gelesen.",
     "No complete answer from the device: the company header was not read.",
     "Pas de réponse complète de l'appareil : l'en-tête n'a pas été lu.",
     "No hubo respuesta completa del equipo: no se ha leído el encabezado."},
    {123, "Keine vollständige Antwort vom Gerät: Datum und Uhrzeit wurden nicht gelesen.",
     "No complete answer from the device: the date and time were not read.",
     "Pas de réponse complète de l'appareil : la date et l'heure n'ont pas été lues.",
     "No hubo respuesta completa del equipo: no se han leído la fecha y la hora."},
    {124, "Keine Verbindung zum Gerät: Es wurde nichts gelesen.", "No connection to the device: nothing was read.",
     "Pas de connexion avec l'appareil : rien n'a été lu.", "Sin conexión con el equipo: no se ha leído nada."},
    {125, "Keine Verbindung zum Gerät: Es wurde nichts gesendet.", "No connection to the device: nothing was sent.",
     "Pas de connexion avec l'appareil : rien n'a été envoyé.", "Sin conexión con el equipo: no se ha enviado nada."},
    {126, "Keine Verbindung zum Gerät: Es wurde nichts ausgelesen.",
     "No connection to the device: nothing was read out.",
     "Aucune connexion avec l'appareil : rien n'a été lu.",
     "No hay conexión con el equipo: no se ha leído nada."},
    {127, "Die Antwort des Geräts nennt keine Logger-Betriebsart (falsche Baudrate?): Das Auslesen wurde abgebrochen.",
     "The device's answer names no logging mode (wrong baud rate?): the read-out was stopped.",
     "La réponse de l'appareil n'indique aucun mode d'enregistrement (mauvaise vitesse de transmission ?) : la "
     "lecture a été interrompue.",
     "La respuesta del equipo no indica ningún modo de registro (¿velocidad de transmisión incorrecta?): la lectura "
     "se ha interrumpido."},
    {128, "Die Übertragung brach mitten in einem Datensatz ab: Dieser letzte Datensatz wurde nicht übernommen.",
     "The transfer stopped in the middle of a record: that last record was left out.",
     "La transmission s'est arrêtée au milieu d'un enregistrement : ce dernier enregistrement a été omis.",
     "La transmisión se detuvo en medio de un registro: ese último registro se ha omitido."},
    {130, "keine gewöhnliche Datei, sondern ein Gerät oder eine Pipe; sie wurde nicht geöffnet",
     "not a regular file but a device or a pipe; it was not opened",
     "ce n'est pas un fichier ordinaire mais un périphérique ou un tube ; il n'a pas été ouvert",
     "no es un archivo normal sino un dispositivo o una tubería; no se ha abierto"},
    {131, "kein Programm nimmt die Daten an (eine Pipe oder ein Gerät ohne Leser)",
     "no program takes the data (a pipe or a device without a reader)",
     "aucun programme ne reçoit les données (tube ou périphérique sans lecteur)",
     "ningún programa recibe los datos (tubería o dispositivo sin lector)"},
    {132,
     "Die Einstellungsdatei ist keine gewöhnliche Datei, sondern ein Gerät oder eine Pipe (unten genannt), und wurde "
     "nicht gelesen. Das Programm startet mit den Standardeinstellungen und speichert keine Änderungen.",
     "The settings file is not a regular file but a device or a pipe (named below) and was not read. The program "
     "starts with the default settings and saves no changes.",
     "Le fichier de paramètres n'est pas un fichier ordinaire mais un périphérique ou un tube (nommé ci-dessous) et "
     "n'a pas été lu. Le programme démarre avec les paramètres par défaut et n'enregistre aucune modification.",
     "El archivo de configuración no es un archivo normal sino un dispositivo o una tubería (indicado abajo) y no se "
     "ha leído. El programa se inicia con la configuración predeterminada y no guarda ningún cambio."},
    // Why a serial port could not be opened (%s: its path; for 140 then the
    // system's reason).
    {135,
     "Sie haben keine Berechtigung, die serielle Schnittstelle %s zu benutzen. Nehmen Sie Ihren Benutzer in die "
     "Gruppe 'dialout' auf (sudo usermod -aG dialout $USER) und melden Sie sich danach ab und wieder an.",
     "You have no permission to use the serial port %s. Add your user to the 'dialout' group (sudo usermod -aG "
     "dialout $USER), then log out and in again.",
     "Vous n'avez pas le droit d'utiliser le port série %s. Ajoutez votre utilisateur au groupe 'dialout' (sudo "
     "usermod -aG dialout $USER), puis fermez la session et rouvrez-la.",
     "No tiene permiso para usar el puerto serie %s. Añada su usuario al grupo 'dialout' (sudo usermod -aG dialout "
     "$USER) y después cierre la sesión y vuelva a entrar."},
    {136,
     "Die serielle Schnittstelle %s wird von einem anderen Programm benutzt. Schließen Sie dieses Programm und "
     "versuchen Sie es erneut.",
     "The serial port %s is in use by another program. Close that program and try again.",
     "Le port série %s est utilisé par un autre programme. Fermez ce programme et réessayez.",
     "El puerto serie %s está en uso por otro programa. Cierre ese programa e inténtelo de nuevo."},
    {137,
     "Die serielle Schnittstelle %s ist nicht vorhanden. Prüfen Sie, ob das Gerät angeschlossen ist, oder wählen Sie "
     "eine andere Schnittstelle.",
     "The serial port %s is not present. Check that the device is plugged in, or choose another port.",
     "Le port série %s est absent. Vérifiez que l'appareil est branché ou choisissez un autre port.",
     "El puerto serie %s no está presente. Compruebe que el equipo está conectado o elija otro puerto."},
    {138, "%s ist keine serielle Schnittstelle.", "%s is not a serial port.", "%s n'est pas un port série.",
     "%s no es un puerto serie."},
    {139, "Die Einstellungen der seriellen Schnittstelle %s sind ungültig (Bad Config).",
     "The settings of the serial port %s are not valid (Bad Config).",
     "Les paramètres du port série %s ne sont pas valides (Bad Config).",
     "La configuración del puerto serie %s no es válida (Bad Config)."},
    {140, "Die serielle Schnittstelle %s lässt sich nicht öffnen: %s.", "The serial port %s cannot be opened: %s.",
     "Impossible d'ouvrir le port série %s : %s.", "No se puede abrir el puerto serie %s: %s."},
    // After the file's name and ": ".
    {141, "nicht gespeichert; der Name muss auf .csv (Messwerte) oder .bmp (Diagramm) enden.",
     "not saved; the name must end in .csv (measured values) or .bmp (chart).",
     "non enregistré ; le nom doit se terminer par .csv (valeurs mesurées) ou .bmp (diagramme).",
     "no guardado; el nombre debe terminar en .csv (valores medidos) o .bmp (gráfico)."},
    // The chart's axis and curve pages.
    {142, "Das Minimum darf nicht über dem Maximum liegen.", "The minimum must not be above the maximum.",
     "Le minimum ne doit pas dépasser le maximum.", "El mínimo no debe ser mayor que el máximo."},
    {143, "Die Teilung darf nicht negativ sein (bei 0 wird sie selbst gewählt).",
     "The step must not be negative (0 chooses it).",
     "Le pas ne doit pas être négatif (avec 0, il est choisi automatiquement).",
     "El paso no debe ser negativo (con 0 se elige automáticamente)."},
    {144, "Die neue Kurve hätte zu viele Punkte.", "The new curve would have too many points.",
     "La nouvelle courbe aurait trop de points.", "La nueva curva tendría demasiados puntos."},
    {145, "Ein gleitender Mittelwert braucht eine Kurve mit mindestens zwei Punkten.",
     "A moving average needs a curve of at least two points.",
     "Une moyenne mobile nécessite une courbe d'au moins deux points.",
     "Una media móvil necesita una curva de al menos dos puntos."},
    {146, "An diese Kurve lässt sich kein Trend anpassen.", "No trend can be fitted to this curve.",
     "Aucune tendance ne peut être ajustée à cette courbe.", "No se puede ajustar ninguna tendencia a esta curva."},
};

const Entry* Find(int index)
{
    for (const Entry& e : kTexts)
        if (e.index == index)
            return &e;
    return nullptr;
}

const char* TextOf(const Entry& e, int language)
{
    switch (language) {
    case 0: return e.de;
    case 1: return e.en;
    case 2: return e.fr;
    case 3: return e.es;
    default: return nullptr;
    }
}

} // namespace

bool LookupProgramString(UINT id, CString& out)
{
    if (id < kStringBase || id >= kStringBase + 4000)
        return false;
    const int rel = static_cast<int>(id - kStringBase);
    const int language = rel / 1000;
    const int index = rel % 1000;
    if (index >= kStringsPerLanguage)
        return false;
    const Entry* e = Find(index);
    if (!e)
        return false;
    const char* text = TextOf(*e, language);
    if (!text)
        text = e->en;
    if (!text)
        text = e->de;
    if (!text)
        return false;
    out = FromUtf8(text);
    return true;
}

void InstallStringTable() { SetStringTableLookup(&LookupProgramString); }

CString LoadText(UINT germanId, int languageOffset)
{
    CString s;
    if (!LookupProgramString(germanId + static_cast<UINT>(languageOffset), s))
        s.Empty();
    return s;
}

} // namespace vx
