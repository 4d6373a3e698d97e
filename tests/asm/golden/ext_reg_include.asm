; Extended dialect: register aliases, and included files found beside the
; source.
        cpu 8048
count   reg r6
ptr     reg r1
acc     reg a
leds    reg p1
        mov count,#5            ; = BE 05
        djnz count,$            ; = EE 02
        mov a,@ptr              ; = F1
        inc ptr                 ; = 19
        mov acc,count           ; = FE
        outl leds,acc           ; = 39
        include "ext_include.inc"
        mov a,#FROM_INCLUDE     ; = 23 5A
bad     reg 12                  ; error: kein Register: 12
        include "no_such_file.inc"  ; error: Datei kann nicht gelesen werden: no_such_file.inc - Datei oder Ordner nicht gefunden (No such file or directory)
