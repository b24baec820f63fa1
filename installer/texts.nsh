; The installer's own texts in English and French (the pages' standard texts come with the
; two languages). Included after the languages are declared.

!define UNINSTALL_SHORTCUT_ENGLISH "Uninstall Lysora"
!define UNINSTALL_SHORTCUT_FRENCH "Désinstaller Lysora"

LangString UninstallShortcut ${LANG_ENGLISH} "${UNINSTALL_SHORTCUT_ENGLISH}"
LangString UninstallShortcut ${LANG_FRENCH} "${UNINSTALL_SHORTCUT_FRENCH}"

LangString WelcomeText ${LANG_ENGLISH} "This will install $(^NameDA), the reference database of amino-acid contents and ileal digestibilities of pig feedstuffs, for your user account.$\r$\n$\r$\nIf Lysora is already installed, its programs are replaced and your settings are kept. Please close Lysora before you continue.$\r$\n$\r$\nThe values shipped are illustrative sample data, not for formulation.$\r$\n$\r$\n$_CLICK"
LangString WelcomeText ${LANG_FRENCH} "Vous allez installer $(^NameDA), la base de référence des teneurs en acides aminés et des digestibilités iléales des matières premières pour le porc, pour votre compte utilisateur.$\r$\n$\r$\nSi Lysora est déjà installé, ses programmes sont remplacés et vos réglages sont conservés. Veuillez fermer Lysora avant de continuer.$\r$\n$\r$\nLes valeurs fournies sont des données d'exemple, à ne pas utiliser en formulation.$\r$\n$\r$\n$_CLICK"
