; Extended dialect: data that does not fit its directive.
        cpu 8048
        db 256                          ; error: Wert außerhalb des zulässigen Bereiches: 256 (erlaubt -128 bis 255)
        dw 10000h                       ; error: Wert außerhalb des zulässigen Bereiches: 65536 (erlaubt -32768 bis 65535)
        dw "ab"                         ; error: Parameterfehler
        db 1,,2                         ; error: Parameterfehler
        db                              ; error: Parameterfehler
        ds 4097                         ; error: Wert außerhalb des zulässigen Bereiches: 4097 (erlaubt 0 bis 4096)
