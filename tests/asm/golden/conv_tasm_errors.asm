; TASM convention, mistakes in a #DEFINE over several lines: the message
; names the line at fault, or the first line of the definition.
        .ORG    0
#DEFINE TWO     NOP
#DEFINE TWO     NOP \           ; error: Symbol doppelt definiert: TWO
                NOP
        NOP
        .FOO    1               ; error: unbekannte Direktive: .FOO
#IFDEFX SPEED                   ; error: unbekannte Direktive: #IFDEFX
