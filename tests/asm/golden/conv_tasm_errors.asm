; TASM convention, mistakes in a #DEFINE over several lines: the message
; names the line at fault, or the first line of the definition.
        .ORG    0
#DEFINE BASE    10H
#DEFINE BASE    20H \           ; error: Symbol doppelt definiert: BASE
                + 1
        NOP
