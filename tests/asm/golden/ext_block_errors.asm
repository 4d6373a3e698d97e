; Extended dialect: block words without their partner.
        cpu 8048
        endm                    ; error: ohne passenden Anfang: endm
        exitm                   ; error: ohne passenden Anfang: exitm
        elseif 1                ; error: ohne passenden Anfang: elseif
        rept 2                  ; error: endm fehlt
        nop
