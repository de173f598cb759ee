<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<!--
  Stowline's Brazilian Portuguese catalog. Every message lives in the context "Stowline"; its source text
  is the dotted key the code looks up, and a key missing here is shown as the key itself.

  Placeholders:
    %1, %2, …  the arguments, in the order the caller passes them (already formatted text,
               or numbers formatted with this language's separators); each may appear
               anywhere, and an argument's own text is never scanned again.
    %Ln (%n)   in numerus (plural) entries: the count, with this language's digit grouping.
               The entry's forms are chosen by the count under this language's plural rules.
  Any other "%" is literal. Keys ending in "_count" are numerus entries.
  Compiled by lrelease into Stowline_StowlineApp.bundle/pt-BR.lproj/Stowline.qm.
-->
<TS version="2.1" language="pt_BR" sourcelanguage="en">
<context>
    <name>Stowline</name>
    <message>
        <source>appstate.collision_error</source>
        <translation>Já há uma transferência de uma origem com o mesmo nome para o mesmo destino em andamento. Espere ela terminar ou cancele-a antes.</translation>
    </message>
    <message>
        <source>appstate.dest_inside_source_error</source>
        <translation>Um destino está dentro de uma origem, ou uma origem seria copiada sobre ela mesma. Escolha um destino fora das origens.</translation>
    </message>
    <message>
        <source>appstate.drive_check_running_error</source>
        <translation>Um destino está sendo conferido com as suas listas de hashes. Espere a conferência terminar ou cancele-a antes.</translation>
    </message>
    <message>
        <source>appstate.drive_not_answering_error</source>
        <translation>Uma unidade de origem ou de destino não responde. Verifique se ela está conectada e ativa, ou remova-a, e inicie de novo.</translation>
    </message>
    <message>
        <source>appstate.idle</source>
        <translation>Parado</translation>
    </message>
    <message>
        <source>appstate.pending_summary</source>
        <translation>%1 · %2 para copiar</translation>
    </message>
    <message>
        <source>appstate.picker.add</source>
        <translation>Adicionar</translation>
    </message>
    <message>
        <source>appstate.picker.destinations.message</source>
        <translation>Escolha as pastas de destino</translation>
    </message>
    <message>
        <source>appstate.picker.sources.message</source>
        <translation>Escolha os cartões, pastas ou arquivos a copiar</translation>
    </message>
    <message>
        <source>appstate.space.header</source>
        <translation>Esta transferência precisa de %1. Estes destinos não têm espaço livre suficiente:</translation>
    </message>
    <message>
        <source>appstate.space.line</source>
        <translation>• %1: %2 livres</translation>
    </message>
    <message>
        <source>appstate.space.note</source>
        <translation>Se você iniciar mesmo assim, a transferência pausa quando um destino encher e pergunta o que fazer.</translation>
    </message>
    <message>
        <source>appstate.volume_changed_error</source>
        <translation>“%1” não está mais na unidade de onde foi adicionado: essa unidade foi removida ou desmontada. Nada foi copiado. Adicione de novo quando a unidade voltar.</translation>
    </message>
    <message>
        <source>centercolumn.diskfull.cancel</source>
        <translation>Desistir deste destino</translation>
    </message>
    <message>
        <source>centercolumn.diskfull.message</source>
        <translation>O próximo arquivo precisa de %1, mas só há %2 livres. Libere espaço no disco e retome, ou desista deste destino e continue com os outros.</translation>
    </message>
    <message>
        <source>centercolumn.diskfull.resume</source>
        <translation>Retomar</translation>
    </message>
    <message>
        <source>centercolumn.diskfull.title</source>
        <translation>“%1” está cheio</translation>
    </message>
    <message>
        <source>centercolumn.integrity.algo</source>
        <translation>algoritmo: %1</translation>
    </message>
    <message>
        <source>centercolumn.integrity.body</source>
        <translation>Cada cópia é lida de volta do disco de destino e precisa bater com o checksum da origem.</translation>
    </message>
    <message>
        <source>centercolumn.integrity.label</source>
        <translation>INTEGRIDADE</translation>
    </message>
    <message>
        <source>centercolumn.spacewarning.confirm</source>
        <translation>Iniciar mesmo assim</translation>
    </message>
    <message>
        <source>centercolumn.spacewarning.title</source>
        <translation>Espaço insuficiente</translation>
    </message>
    <message>
        <source>centercolumn.start</source>
        <translation>Iniciar transferência</translation>
    </message>
    <message>
        <source>centercolumn.starterror.title</source>
        <translation>Não foi possível iniciar a transferência</translation>
    </message>
    <message>
        <source>cli.incomplete.cancelled</source>
        <translation>o trabalho foi cancelado, após %1 de %2 arquivos</translation>
    </message>
    <message>
        <source>cli.incomplete.disconnected</source>
        <translation>desconectado, após %1 de %2 arquivos</translation>
    </message>
    <message>
        <source>cli.incomplete.dropped</source>
        <translation>retirado do trabalho ao ficar sem espaço, após %1 de %2 arquivos</translation>
    </message>
    <message>
        <source>cli.incomplete.out_of_space</source>
        <translation>ficou sem espaço durante a gravação, após %1 de %2 arquivos</translation>
    </message>
    <message>
        <source>cli.incomplete.unreachable</source>
        <translation>retirado do trabalho: o espaço livre não pôde ser lido, após %1 de %2 arquivos</translation>
    </message>
    <message>
        <source>cli.incomplete.write_failed</source>
        <translation>retirado do trabalho: a gravação falhou, após %1 de %2 arquivos</translation>
    </message>
    <message>
        <source>cli.offload.ascmhl.left_out</source>
        <translation>fora do histórico ASC MHL de %1 (o XML não comporta este nome): %2</translation>
    </message>
    <message>
        <source>cli.offload.ascmhl.not_written</source>
        <translation>nenhuma geração ASC MHL nova em %1</translation>
    </message>
    <message>
        <source>cli.offload.ascmhl.note</source>
        <translation>histórico ASC MHL de %1: %2</translation>
    </message>
    <message>
        <source>cli.offload.busy.refused</source>
        <translation>outro trabalho está gravando em %1; nada foi iniciado (--no-wait)</translation>
    </message>
    <message>
        <source>cli.offload.busy.waiting</source>
        <translation>outro trabalho está gravando em %1; aguardando</translation>
    </message>
    <message>
        <source>cli.offload.bytes</source>
        <translation>%1 de %2 em %3, média de %4</translation>
    </message>
    <message>
        <source>cli.offload.dest_inside_source</source>
        <translation>o destino %1 fica dentro da origem %2</translation>
    </message>
    <message>
        <source>cli.offload.dest_not_folder</source>
        <translation>o destino %1 não é uma pasta existente</translation>
    </message>
    <message>
        <source>cli.offload.dest_twice</source>
        <translation>o destino %1 foi indicado duas vezes</translation>
    </message>
    <message>
        <source>cli.offload.dest_unresolved</source>
        <translation>não foi possível resolver o destino %1: %2</translation>
    </message>
    <message>
        <source>cli.offload.destination_left</source>
        <translation>o destino %1 saiu do trabalho: %2</translation>
    </message>
    <message>
        <source>cli.offload.disk_full</source>
        <translation>o destino %1 está cheio: o próximo arquivo precisa de %2, há %3 livres</translation>
    </message>
    <message>
        <source>cli.offload.disk_full.answer</source>
        <translation>Responda r (retomar) ou d (desistir):</translation>
    </message>
    <message>
        <source>cli.offload.disk_full.ask</source>
        <translation>Retomar depois de liberar espaço, ou desistir deste destino? [r/d]</translation>
    </message>
    <message>
        <source>cli.offload.disk_full.dropping</source>
        <translation>%1; desistindo dele</translation>
    </message>
    <message>
        <source>cli.offload.disk_full.no_terminal</source>
        <translation>%1; a entrada padrão não é um terminal onde perguntar: desistindo dele</translation>
    </message>
    <message>
        <source>cli.offload.disk_full.too_large</source>
        <translation>%1; o arquivo é maior que o disco inteiro (%2), então esperar não adianta: desistindo dele</translation>
    </message>
    <message>
        <source>cli.offload.disk_full.waiting</source>
        <translation>%1; aguardando espaço (Ctrl-C cancela)</translation>
    </message>
    <message>
        <source>cli.offload.failed_at</source>
        <translation>%1 em %2: %3</translation>
    </message>
    <message>
        <source>cli.offload.failed_header</source>
        <translation>Falhas:</translation>
    </message>
    <message>
        <source>cli.offload.file_failed</source>
        <translation>falhou %1: %2</translation>
    </message>
    <message>
        <source>cli.offload.hash_log_failed</source>
        <translation>não foi possível gravar o Hash Log em %1</translation>
    </message>
    <message>
        <source>cli.offload.incomplete_at</source>
        <translation>Incompleto em %1: %2</translation>
    </message>
    <message>
        <source>cli.offload.no_summary</source>
        <translation>o mecanismo de cópia terminou sem um resumo</translation>
    </message>
    <message>
        <source>cli.offload.reason.disconnected</source>
        <translation>ele foi desconectado</translation>
    </message>
    <message>
        <source>cli.offload.reason.dropped</source>
        <translation>ele foi retirado do trabalho ao ficar sem espaço</translation>
    </message>
    <message>
        <source>cli.offload.reason.out_of_space</source>
        <translation>ele ficou sem espaço durante a gravação</translation>
    </message>
    <message>
        <source>cli.offload.reason.unreachable</source>
        <translation>o espaço livre dele não pôde ser lido</translation>
    </message>
    <message>
        <source>cli.offload.reason.write_failed</source>
        <translation>a gravação nele falhou</translation>
    </message>
    <message>
        <source>cli.offload.scan_failed</source>
        <translation>não foi possível ler as origens: %1</translation>
    </message>
    <message>
        <source>cli.offload.source_in_dest</source>
        <translation>a origem %1 fica diretamente no destino %2 e seria copiada sobre ela mesma</translation>
    </message>
    <message>
        <source>cli.offload.summary</source>
        <translation>Verificados %1, pulados %2, com falha %3 de %4 arquivos</translation>
    </message>
    <message>
        <source>cli.offload.summary.cancelled</source>
        <translation>; cancelado após %1</translation>
    </message>
    <message>
        <source>cli.offload.summary.folders</source>
        <translation>; %1 sem criar</translation>
    </message>
    <message>
        <source>cli.offload.summary.incomplete</source>
        <translation>; incompleto em %1</translation>
    </message>
    <message>
        <source>cli.progress.left</source>
        <translation>faltam %1</translation>
    </message>
    <message>
        <source>cli.progress.of</source>
        <translation>%1 de %2</translation>
    </message>
    <message>
        <source>cli.scan.cannot_read_folder</source>
        <translation>não foi possível ler o conteúdo da pasta %1</translation>
    </message>
    <message>
        <source>cli.scan.cannot_read_properties</source>
        <translation>não foi possível ler as propriedades de %1</translation>
    </message>
    <message>
        <source>cli.scan.no_such_file</source>
        <translation>arquivo ou pasta inexistente: %1</translation>
    </message>
    <message>
        <source>cli.scan.unsupported_type</source>
        <translation>nem pasta nem arquivo comum (dispositivo, pipe ou socket): %1</translation>
    </message>
    <message>
        <source>cli.verify.counts</source>
        <translation>%1 listados em %2: %3</translation>
    </message>
    <message>
        <source>cli.verify.incomplete</source>
        <translation>Este trabalho ficou incompleto neste disco (%1): %2.</translation>
    </message>
    <message>
        <source>cli.verify.intact</source>
        <translation>Todos os arquivos listados estão íntegros.</translation>
    </message>
    <message>
        <source>cli.verify.interrupted</source>
        <translation>conferência interrompida após %1</translation>
    </message>
    <message>
        <source>cli.verify.not_intact</source>
        <translation>NÃO ÍNTEGRO: veja as linhas acima.</translation>
    </message>
    <message>
        <source>cli.verify.status.ambiguous</source>
        <translation>ambíguo</translation>
    </message>
    <message>
        <source>cli.verify.status.changed</source>
        <translation>alterado</translation>
    </message>
    <message>
        <source>cli.verify.status.missing</source>
        <translation>ausente</translation>
    </message>
    <message>
        <source>cli.verify.status.not_checked</source>
        <translation>não verificado</translation>
    </message>
    <message>
        <source>cli.verify.status.ok</source>
        <translation>íntegro</translation>
    </message>
    <message>
        <source>cli.verify.status.refused</source>
        <translation>recusado</translation>
    </message>
    <message>
        <source>cli.verify.status.size_differs</source>
        <translation>tamanho diferente</translation>
    </message>
    <message>
        <source>cli.verify.status.unreadable</source>
        <translation>ilegível</translation>
    </message>
    <message>
        <source>cli.verify.uncovered</source>
        <translation>%1 fora de qualquer lista de hashes:</translation>
    </message>
    <message>
        <source>common.cancel</source>
        <translation>Cancelar</translation>
    </message>
    <message>
        <source>common.close</source>
        <translation>Fechar</translation>
    </message>
    <message>
        <source>common.error</source>
        <translation>Erro</translation>
    </message>
    <message>
        <source>common.ok</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>common.reveal_in_finder</source>
        <translation>Mostrar no gerenciador de arquivos</translation>
    </message>
    <message>
        <source>drivecheck.cancel</source>
        <translation>Cancelar verificação</translation>
    </message>
    <message>
        <source>drivecheck.cancelled</source>
        <translation>Verificação cancelada</translation>
    </message>
    <message>
        <source>drivecheck.detail.ambiguous</source>
        <translation>Vários arquivos no disco têm nomes que esta lista escreve do mesmo jeito; ela não permite saber qual é o certo</translation>
    </message>
    <message>
        <source>drivecheck.detail.hash</source>
        <translation>%1 na lista %2, encontrado %3</translation>
    </message>
    <message>
        <source>drivecheck.detail.leads_outside</source>
        <translation>Um link simbólico leva para fora da pasta da lista</translation>
    </message>
    <message>
        <source>drivecheck.detail.missing</source>
        <translation>Não encontrado em %1</translation>
    </message>
    <message>
        <source>drivecheck.detail.no_computable_hash</source>
        <translation>A lista só dá checksums que esta verificação não sabe calcular</translation>
    </message>
    <message>
        <source>drivecheck.detail.no_hash</source>
        <translation>A lista não dá nenhum checksum para ele</translation>
    </message>
    <message>
        <source>drivecheck.detail.not_regular</source>
        <translation>Não é um arquivo comum (uma pasta ou um dispositivo)</translation>
    </message>
    <message>
        <source>drivecheck.detail.path_refused</source>
        <translation>O caminho listado sai da sua pasta (absoluto, ou sobe com "..")</translation>
    </message>
    <message>
        <source>drivecheck.detail.read_failed</source>
        <translation>A leitura falhou: %1</translation>
    </message>
    <message>
        <source>drivecheck.detail.size</source>
        <translation>Na lista %1, encontrado %2</translation>
    </message>
    <message>
        <source>drivecheck.nothing_listed</source>
        <translation>Nenhum arquivo listado</translation>
    </message>
    <message>
        <source>drivecheck.nothing_yet</source>
        <translation>Nada para conferir ainda</translation>
    </message>
    <message>
        <source>drivecheck.notify.body</source>
        <translation>%1 · %2</translation>
    </message>
    <message>
        <source>drivecheck.notify.title.intact</source>
        <translation>Verificação: disco íntegro</translation>
    </message>
    <message>
        <source>drivecheck.notify.title.not_intact</source>
        <translation>Verificação requer atenção</translation>
    </message>
    <message>
        <source>drivecheck.problem.cannot_list</source>
        <translation>A pasta não pode ser listada: %1</translation>
    </message>
    <message>
        <source>drivecheck.problem.history_manifest_missing</source>
        <translation>A cadeia deste histórico ASC MHL lista um manifesto que não está lá</translation>
    </message>
    <message>
        <source>drivecheck.problem.history_no_chain</source>
        <translation>Este histórico ASC MHL não tem uma cadeia legível; nenhum dos seus manifestos pode ser comprovado</translation>
    </message>
    <message>
        <source>drivecheck.problem.history_tampered</source>
        <translation>Um manifesto deste histórico ASC MHL não confere com a sua entrada na cadeia: foi alterado ou substituído depois de gravado</translation>
    </message>
    <message>
        <source>drivecheck.problem.history_unreadable</source>
        <translation>Um manifesto deste histórico ASC MHL não pode ser lido, ou é grande demais para verificar</translation>
    </message>
    <message>
        <source>drivecheck.problem.list_malformed</source>
        <translation>Esta lista de checksums está danificada na linha %1</translation>
    </message>
    <message>
        <source>drivecheck.problem.list_unreadable</source>
        <translation>Esta lista de checksums não pode ser lida: %1</translation>
    </message>
    <message>
        <source>drivecheck.problem.list_unusable</source>
        <translation>Esta lista de checksums não pode ser usada: não é um arquivo comum, ou é grande demais</translation>
    </message>
    <message>
        <source>drivecheck.problem.no_lists</source>
        <translation>Não contém lista de checksums (.mhl)</translation>
    </message>
    <message>
        <source>drivecheck.problem.no_log_folder</source>
        <translation>Não há pasta "Hash Log"</translation>
    </message>
    <message>
        <source>drivecheck.problem.not_a_folder</source>
        <translation>Não é uma pasta</translation>
    </message>
    <message>
        <source>drivecheck.problem.nothing_listed</source>
        <translation>As listas de checksums não citam nenhum arquivo</translation>
    </message>
    <message>
        <source>drivecheck.progress</source>
        <translation>Verificando %1 de %2</translation>
    </message>
    <message>
        <source>drivecheck.reading_lists</source>
        <translation>Lendo listas de hashes…</translation>
    </message>
    <message>
        <source>drivecheck.report.all_intact</source>
        <translation>Todos os arquivos listados estão íntegros</translation>
    </message>
    <message>
        <source>drivecheck.report.title</source>
        <translation>Verificação do disco</translation>
    </message>
    <message>
        <source>drivecheck.status.ambiguous</source>
        <translation>Ambíguo</translation>
    </message>
    <message>
        <source>drivecheck.status.changed</source>
        <translation>Alterado</translation>
    </message>
    <message>
        <source>drivecheck.status.incomplete</source>
        <translation>Trabalho incompleto</translation>
    </message>
    <message>
        <source>drivecheck.status.missing</source>
        <translation>Ausente</translation>
    </message>
    <message>
        <source>drivecheck.status.not_checked</source>
        <translation>Não verificado</translation>
    </message>
    <message>
        <source>drivecheck.status.ok</source>
        <translation>Íntegro</translation>
    </message>
    <message>
        <source>drivecheck.status.problem</source>
        <translation>Problema</translation>
    </message>
    <message>
        <source>drivecheck.status.refused</source>
        <translation>Recusado</translation>
    </message>
    <message>
        <source>drivecheck.status.size_differs</source>
        <translation>Tamanho diferente</translation>
    </message>
    <message>
        <source>drivecheck.status.unreadable</source>
        <translation>Ilegível</translation>
    </message>
    <message>
        <source>drivecheck.verify</source>
        <translation>Verificar de novo</translation>
    </message>
    <message>
        <source>errno.EACCES</source>
        <translation>permissão negada</translation>
    </message>
    <message>
        <source>errno.EBUSY</source>
        <translation>o dispositivo ou arquivo está ocupado</translation>
    </message>
    <message>
        <source>errno.EDQUOT</source>
        <translation>a cota de disco se esgotou</translation>
    </message>
    <message>
        <source>errno.EEXIST</source>
        <translation>o arquivo já existe</translation>
    </message>
    <message>
        <source>errno.EFBIG</source>
        <translation>o arquivo é grande demais para este sistema de arquivos</translation>
    </message>
    <message>
        <source>errno.EINVAL</source>
        <translation>o sistema de arquivos recusou a operação</translation>
    </message>
    <message>
        <source>errno.EIO</source>
        <translation>erro de entrada/saída (o disco ou cartão pode estar falhando)</translation>
    </message>
    <message>
        <source>errno.EISDIR</source>
        <translation>é uma pasta</translation>
    </message>
    <message>
        <source>errno.ELOOP</source>
        <translation>links simbólicos demais</translation>
    </message>
    <message>
        <source>errno.EMFILE</source>
        <translation>arquivos abertos demais</translation>
    </message>
    <message>
        <source>errno.ENAMETOOLONG</source>
        <translation>o nome é longo demais</translation>
    </message>
    <message>
        <source>errno.ENODEV</source>
        <translation>dispositivo inexistente</translation>
    </message>
    <message>
        <source>errno.ENOENT</source>
        <translation>arquivo ou pasta inexistente</translation>
    </message>
    <message>
        <source>errno.ENOMEM</source>
        <translation>memória insuficiente</translation>
    </message>
    <message>
        <source>errno.ENOSPC</source>
        <translation>não há espaço livre no disco</translation>
    </message>
    <message>
        <source>errno.ENOTCONN</source>
        <translation>o disco não está mais conectado</translation>
    </message>
    <message>
        <source>errno.ENOTDIR</source>
        <translation>uma parte do caminho não é uma pasta</translation>
    </message>
    <message>
        <source>errno.ENXIO</source>
        <translation>o dispositivo não está presente</translation>
    </message>
    <message>
        <source>errno.EPERM</source>
        <translation>operação não permitida</translation>
    </message>
    <message>
        <source>errno.EROFS</source>
        <translation>o disco é somente leitura</translation>
    </message>
    <message>
        <source>errno.ESTALE</source>
        <translation>o compartilhamento de rede deixou de existir</translation>
    </message>
    <message>
        <source>errno.ETIMEDOUT</source>
        <translation>o disco não respondeu a tempo</translation>
    </message>
    <message>
        <source>failure.cancelledOutOfSpace</source>
        <translation>cancelado por falta de espaço</translation>
    </message>
    <message>
        <source>failure.create_copy</source>
        <translation>não foi possível criar %1: %2</translation>
    </message>
    <message>
        <source>failure.create_folder</source>
        <translation>não foi possível criar a pasta %1: %2</translation>
    </message>
    <message>
        <source>failure.destinationDisconnected</source>
        <translation>o destino foi desconectado</translation>
    </message>
    <message>
        <source>failure.destinationOutOfSpace</source>
        <translation>o destino ficou sem espaço</translation>
    </message>
    <message>
        <source>failure.destinationUnreachable</source>
        <translation>o destino não pôde ser acessado</translation>
    </message>
    <message>
        <source>failure.destinationWriteFailed</source>
        <translation>a gravação no destino falhou</translation>
    </message>
    <message>
        <source>failure.destination_gone</source>
        <translation>o destino %1 desapareceu enquanto o arquivo era copiado para ele</translation>
    </message>
    <message>
        <source>failure.finish_copy</source>
        <translation>não foi possível concluir a gravação de %1: %2</translation>
    </message>
    <message>
        <source>failure.held_by_earlier_job</source>
        <translation>este nome contém outro arquivo, verificado por um trabalho anterior (%1); ele foi mantido</translation>
    </message>
    <message>
        <source>failure.link_on_the_way</source>
        <translation>há um link simbólico no caminho em %1; nada foi gravado através dele</translation>
    </message>
    <message>
        <source>failure.name_copy</source>
        <translation>não foi possível dar o nome final a %1: %2</translation>
    </message>
    <message>
        <source>failure.name_taken</source>
        <translation>este nome já contém %1, copiado por este trabalho com outro nome</translation>
    </message>
    <message>
        <source>failure.name_too_long</source>
        <translation>o nome é longo demais para este disco: %1</translation>
    </message>
    <message>
        <source>failure.no_reason</source>
        <translation>o sistema não informou o motivo</translation>
    </message>
    <message>
        <source>failure.read_source</source>
        <translation>não foi possível ler %1: %2</translation>
    </message>
    <message>
        <source>failure.source_changed</source>
        <translation>a origem mudou enquanto era lida: %1</translation>
    </message>
    <message>
        <source>failure.source_itself</source>
        <translation>%1 neste destino é o próprio arquivo de origem (um link ou ponto de montagem leva de volta ao cartão); nada foi gravado</translation>
    </message>
    <message>
        <source>failure.source_not_regular</source>
        <translation>%1 não é mais um arquivo comum (um pipe, dispositivo ou pasta tomou seu lugar após a varredura); nada foi copiado</translation>
    </message>
    <message>
        <source>failure.sync_drive</source>
        <translation>o disco em %1 não confirmou que gravou os arquivos deste trabalho (%2); nada ali conta como verificado</translation>
    </message>
    <message>
        <source>failure.write_copy</source>
        <translation>não foi possível gravar %1: %2</translation>
    </message>
    <message>
        <source>filebrowser.back</source>
        <translation>Voltar</translation>
    </message>
    <message>
        <source>filebrowser.background_menu.new_folder</source>
        <translation>Nova pasta</translation>
    </message>
    <message>
        <source>filebrowser.background_menu.paste</source>
        <translation>Colar</translation>
    </message>
    <message>
        <source>filebrowser.error.create_folder</source>
        <translation>Não foi possível criar a pasta: %1</translation>
    </message>
    <message>
        <source>filebrowser.error.eject</source>
        <translation>Não foi possível ejetar “%1”: %2</translation>
    </message>
    <message>
        <source>filebrowser.error.eject_no_device</source>
        <translation>nenhum disco removível contém este volume</translation>
    </message>
    <message>
        <source>filebrowser.error.eject_no_service</source>
        <translation>o serviço de discos (UDisks2) não está disponível</translation>
    </message>
    <message>
        <source>filebrowser.error.invalid_name</source>
        <translation>“%1” não pode ser usado como nome.</translation>
    </message>
    <message>
        <source>filebrowser.error.paste</source>
        <translation>Não foi possível colar: %1</translation>
    </message>
    <message>
        <source>filebrowser.error.paste_into_itself</source>
        <translation>“%1” não pode ser colado dentro de si mesmo nem de uma de suas pastas</translation>
    </message>
    <message>
        <source>filebrowser.error.rename</source>
        <translation>Não foi possível renomear: %1</translation>
    </message>
    <message>
        <source>filebrowser.error.rename_exists</source>
        <translation>Já existe um item chamado “%1” aqui.</translation>
    </message>
    <message>
        <source>filebrowser.error.trash</source>
        <translation>Não foi possível mover para a lixeira: %1</translation>
    </message>
    <message>
        <source>filebrowser.error.trash_unavailable</source>
        <translation>Não é possível criar uma lixeira em %1, então “%2” continua onde está.</translation>
    </message>
    <message>
        <source>filebrowser.footer.selected</source>
        <translation> · “%1” selecionado</translation>
    </message>
    <message>
        <source>filebrowser.mode.columns</source>
        <translation>Colunas</translation>
    </message>
    <message>
        <source>filebrowser.mode.icons</source>
        <translation>Ícones</translation>
    </message>
    <message>
        <source>filebrowser.mode.list</source>
        <translation>Lista</translation>
    </message>
    <message>
        <source>filebrowser.paste.cancel</source>
        <translation>Parar de colar</translation>
    </message>
    <message>
        <source>filebrowser.paste.progress</source>
        <translation>Colando %1 de %2</translation>
    </message>
    <message>
        <source>report.incomplete.cancelled</source>
        <translation>Incompleto: o trabalho foi cancelado após %1 de %2 arquivos.</translation>
    </message>
    <message>
        <source>report.incomplete.disconnected</source>
        <translation>Incompleto: este disco foi desconectado após %1 de %2 arquivos.</translation>
    </message>
    <message>
        <source>report.incomplete.dropped</source>
        <translation>Incompleto: este disco foi retirado do trabalho ao ficar sem espaço, após %1 de %2 arquivos.</translation>
    </message>
    <message>
        <source>report.incomplete.failed</source>
        <translation>Incompleto: a gravação neste disco falhou após %1 de %2 arquivos.</translation>
    </message>
    <message>
        <source>report.incomplete.out_of_space</source>
        <translation>Incompleto: este disco ficou sem espaço durante a gravação, após %1 de %2 arquivos.</translation>
    </message>
    <message>
        <source>reveal.failed.message</source>
        <translation>O Stowline não conseguiu abrir um gerenciador de arquivos para mostrar “%1”. Ele está em %2.</translation>
    </message>
    <message>
        <source>reveal.failed.title</source>
        <translation>Nenhum gerenciador de arquivos respondeu</translation>
    </message>
    <message>
        <source>slotpanel.dest.add</source>
        <translation>Adicionar destinos…</translation>
    </message>
    <message>
        <source>slotpanel.remove</source>
        <translation>Remover da lista</translation>
    </message>
    <message>
        <source>slotpanel.source.add</source>
        <translation>Adicionar origens…</translation>
    </message>
    <message>
        <source>transferjob.waiting_for_destination</source>
        <translation>Aguardando: outro trabalho está gravando em %1</translation>
    </message>
    <message>
        <source>transfers.tooltip.cancel</source>
        <translation>Cancelar a transferência</translation>
    </message>
    <message>
        <source>transfers.tooltip.check</source>
        <translation>Verificar de novo com o Hash Log</translation>
    </message>
    <message>
        <source>transfers.tooltip.pause</source>
        <translation>Pausar</translation>
    </message>
    <message>
        <source>transfers.tooltip.remove</source>
        <translation>Remover da lista</translation>
    </message>
    <message>
        <source>transfers.tooltip.report</source>
        <translation>Mostrar o relatório</translation>
    </message>
    <message>
        <source>transfers.tooltip.resume</source>
        <translation>Retomar</translation>
    </message>
    <message>
        <source>transfers.tooltip.reveal</source>
        <translation>Mostrar no gerenciador de arquivos</translation>
    </message>
    <message>
        <source>transfers.tooltip.stop_check</source>
        <translation>Parar a verificação</translation>
    </message>
    <message>
        <source>bottomsplit.resize</source>
        <translation>Redimensionar o painel de transferências</translation>
    </message>
    <message>
        <source>filebrowser.footer.selected_count</source>
        <translation> · %1</translation>
    </message>
    <message>
        <source>filebrowser.footer.status</source>
        <translation>%1 em %2</translation>
    </message>
    <message>
        <source>filebrowser.menu.copy</source>
        <translation>Copiar</translation>
    </message>
    <message>
        <source>filebrowser.menu.cut</source>
        <translation>Recortar</translation>
    </message>
    <message>
        <source>filebrowser.menu.eject</source>
        <translation>Ejetar</translation>
    </message>
    <message>
        <source>filebrowser.menu.new_folder</source>
        <translation>Nova pasta aqui dentro</translation>
    </message>
    <message>
        <source>filebrowser.menu.paste_here</source>
        <translation>Colar aqui</translation>
    </message>
    <message>
        <source>filebrowser.menu.rename</source>
        <translation>Renomear…</translation>
    </message>
    <message>
        <source>filebrowser.menu.trash</source>
        <translation>Mover para a lixeira</translation>
    </message>
    <message>
        <source>filebrowser.new_folder_name</source>
        <translation>pasta sem título</translation>
    </message>
    <message>
        <source>filebrowser.rename.message</source>
        <translation>Digite um novo nome para “%1”.</translation>
    </message>
    <message>
        <source>filebrowser.rename.placeholder</source>
        <translation>Nome</translation>
    </message>
    <message>
        <source>filebrowser.rename.title</source>
        <translation>Renomear</translation>
    </message>
    <message>
        <source>filebrowser.root</source>
        <translation>Discos</translation>
    </message>
    <message>
        <source>filebrowser.set_dest</source>
        <translation>Usar como destino</translation>
    </message>
    <message>
        <source>filebrowser.set_source</source>
        <translation>Usar como origem</translation>
    </message>
    <message>
        <source>notifier.summary</source>
        <translation>%1 · %2 · %3</translation>
    </message>
    <message>
        <source>notifier.title.error</source>
        <translation>A transferência precisa de atenção</translation>
    </message>
    <message>
        <source>notifier.title.ok</source>
        <translation>Transferência concluída</translation>
    </message>
    <message>
        <source>report.already_existed</source>
        <translation>(já estava no destino, idêntico)</translation>
    </message>
    <message>
        <source>report.ascmhl.left_out</source>
        <translation>Fora do histórico ASC MHL (o XML não comporta estes nomes; a lista de hashes MHL 1.1 os grava com substitutos):</translation>
    </message>
    <message>
        <source>report.ascmhl.not_written</source>
        <translation>Histórico ASC MHL: nenhuma geração nova para %1</translation>
    </message>
    <message>
        <source>report.ascmhl.note</source>
        <translation>Histórico ASC MHL: %1</translation>
    </message>
    <message>
        <source>report.ascmhl.written</source>
        <translation>Histórico ASC MHL: %1</translation>
    </message>
    <message>
        <source>report.average_speed</source>
        <translation>Velocidade média</translation>
    </message>
    <message>
        <source>report.cancelled</source>
        <translation>Transferência cancelada antes de terminar.</translation>
    </message>
    <message>
        <source>report.date</source>
        <translation>Data</translation>
    </message>
    <message>
        <source>report.destination</source>
        <translation>Destino</translation>
    </message>
    <message>
        <source>report.duration</source>
        <translation>Duração</translation>
    </message>
    <message>
        <source>report.error.copy_failed</source>
        <translation>falha na cópia: %1</translation>
    </message>
    <message>
        <source>report.error.hash_mismatch</source>
        <translation>o checksum continua diferente após uma segunda cópia: %1</translation>
    </message>
    <message>
        <source>report.error.no_destination_available</source>
        <translation>não restou nenhum destino para a cópia</translation>
    </message>
    <message>
        <source>report.error.no_destination_for_file</source>
        <translation>nenhum destino pôde receber este arquivo</translation>
    </message>
    <message>
        <source>report.error.rejected_destinations</source>
        <translation>não copiado para %1</translation>
    </message>
    <message>
        <source>report.error.unknown</source>
        <translation>erro desconhecido</translation>
    </message>
    <message>
        <source>report.errors_header</source>
        <translation>ERROS</translation>
    </message>
    <message>
        <source>report.pdf.column.file</source>
        <translation>Arquivo</translation>
    </message>
    <message>
        <source>report.pdf.column.modified</source>
        <translation>Modificado em</translation>
    </message>
    <message>
        <source>report.pdf.column.size</source>
        <translation>Tamanho</translation>
    </message>
    <message>
        <source>report.pdf.column.status</source>
        <translation>Situação</translation>
    </message>
    <message>
        <source>report.pdf.destinations</source>
        <translation>Destinos</translation>
    </message>
    <message>
        <source>report.pdf.errors</source>
        <translation>Erros</translation>
    </message>
    <message>
        <source>report.pdf.errors_section</source>
        <translation>Arquivos com falha</translation>
    </message>
    <message>
        <source>report.pdf.files</source>
        <translation>Arquivos</translation>
    </message>
    <message>
        <source>report.pdf.files_section</source>
        <translation>Arquivos neste destino</translation>
    </message>
    <message>
        <source>report.pdf.finished</source>
        <translation>Término</translation>
    </message>
    <message>
        <source>report.pdf.heading</source>
        <translation>%1 · Relatório de transferência</translation>
    </message>
    <message>
        <source>report.pdf.host</source>
        <translation>Computador</translation>
    </message>
    <message>
        <source>report.pdf.no_errors</source>
        <translation>Nenhum arquivo falhou.</translation>
    </message>
    <message>
        <source>report.pdf.no_files</source>
        <translation>Nenhum arquivo chegou a este destino.</translation>
    </message>
    <message>
        <source>report.pdf.outcome.cancelled</source>
        <translation>Cancelado após %1 de %2 arquivos</translation>
    </message>
    <message>
        <source>report.pdf.outcome.complete</source>
        <translation>Completo: %1</translation>
    </message>
    <message>
        <source>report.pdf.outcome.disconnected</source>
        <translation>Desconectado após %1 de %2 arquivos</translation>
    </message>
    <message>
        <source>report.pdf.outcome.failed</source>
        <translation>Falha no disco após %1 de %2 arquivos</translation>
    </message>
    <message>
        <source>report.pdf.outcome.no_space</source>
        <translation>Descartado por falta de espaço após %1 de %2 arquivos</translation>
    </message>
    <message>
        <source>report.pdf.outcome.with_errors</source>
        <translation>Concluído: %1, %2</translation>
    </message>
    <message>
        <source>report.pdf.page</source>
        <translation>Página %1 de %2</translation>
    </message>
    <message>
        <source>report.pdf.size</source>
        <translation>Tamanho</translation>
    </message>
    <message>
        <source>report.pdf.sources</source>
        <translation>Origens</translation>
    </message>
    <message>
        <source>report.pdf.started</source>
        <translation>Início</translation>
    </message>
    <message>
        <source>report.pdf.status.failed</source>
        <translation>falhou</translation>
    </message>
    <message>
        <source>report.pdf.status.skipped</source>
        <translation>já existia</translation>
    </message>
    <message>
        <source>report.pdf.status.verified</source>
        <translation>verificado</translation>
    </message>
    <message>
        <source>report.pdf.this_report</source>
        <translation>este relatório</translation>
    </message>
    <message>
        <source>report.source</source>
        <translation>Origem</translation>
    </message>
    <message>
        <source>report.summary_line</source>
        <translation>%1 · %2 · %3 · %4 — %5</translation>
    </message>
    <message>
        <source>report.title</source>
        <translation>Stowline — Relatório de transferência</translation>
    </message>
    <message>
        <source>report.verdict_errors</source>
        <translation>erros encontrados: %1</translation>
    </message>
    <message>
        <source>report.verdict_intact</source>
        <translation>todas as cópias verificadas e íntegras</translation>
    </message>
    <message>
        <source>reportmodal.reveal</source>
        <translation>Mostrar relatório</translation>
    </message>
    <message>
        <source>reportmodal.save_pdf</source>
        <translation>Salvar como PDF…</translation>
    </message>
    <message>
        <source>reportmodal.pdf_saving</source>
        <translation>Salvando o PDF…</translation>
    </message>
    <message>
        <source>reportmodal.pdf_saved</source>
        <translation>PDF salvo: %1</translation>
    </message>
    <message>
        <source>reportmodal.pdf_failed</source>
        <translation>Não foi possível salvar o PDF como %1</translation>
    </message>
    <message>
        <source>reportmodal.savedin</source>
        <translation>Salvo na pasta Hash Log de cada destino</translation>
    </message>
    <message>
        <source>reportmodal.savedin_some</source>
        <translation>Salvo na pasta Hash Log somente de %1</translation>
    </message>
    <message>
        <source>reportmodal.stopped.cancelled</source>
        <translation>a transferência foi cancelada</translation>
    </message>
    <message>
        <source>reportmodal.stopped.incomplete</source>
        <translation>nem todos os arquivos foram copiados</translation>
    </message>
    <message>
        <source>reportmodal.summary.destination</source>
        <translation>%1: %2 de %3 · %4</translation>
    </message>
    <message>
        <source>reportmodal.summary.destination_stopped</source>
        <translation>%1: %2 de %3 · %4 · %5</translation>
    </message>
    <message>
        <source>reportmodal.summary.errors</source>
        <translation>%1 · %2 · %3</translation>
    </message>
    <message>
        <source>reportmodal.summary.verified</source>
        <translation>%1 · %2 · tudo verificado</translation>
    </message>
    <message>
        <source>reportmodal.title</source>
        <translation>Relatório da transferência</translation>
    </message>
    <message>
        <source>settings.appearance</source>
        <translation>APARÊNCIA</translation>
    </message>
    <message>
        <source>settings.appearance.dark</source>
        <translation>Escuro</translation>
    </message>
    <message>
        <source>settings.appearance.light</source>
        <translation>Claro</translation>
    </message>
    <message>
        <source>settings.appearance.note</source>
        <translation>O Stowline mantém esta aparência, qualquer que seja o tema da área de trabalho.</translation>
    </message>
    <message>
        <source>settings.close</source>
        <translation>Fechar</translation>
    </message>
    <message>
        <source>settings.hash</source>
        <translation>CHECKSUM</translation>
    </message>
    <message>
        <source>settings.hash.p1</source>
        <translation>Um checksum é uma impressão digital curta calculada a partir de cada byte de um arquivo. Arquivos com o mesmo conteúdo têm o mesmo checksum; mude um único bit e ele muda por completo.</translation>
    </message>
    <message>
        <source>settings.hash.p2</source>
        <translation>O Stowline usa o XXH64, um hash de 64 bits rápido o bastante para acompanhar os cartões e discos atuais, então a verificação não deixa o descarregamento mais lento.</translation>
    </message>
    <message>
        <source>settings.hash.p3</source>
        <translation>O checksum da origem é calculado enquanto o arquivo é copiado, a partir dos mesmos bytes que são gravados, então o cartão é lido uma única vez.</translation>
    </message>
    <message>
        <source>settings.hash.p4</source>
        <translation>O checksum de cada cópia vem de uma nova leitura do disco de destino que contorna o cache de arquivos (E/S direta, ou descartando antes as páginas em cache), então ele comprova o que está gravado no disco, e não o que ainda está na memória.</translation>
    </message>
    <message>
        <source>settings.hash.p5</source>
        <translation>O XXH64 detecta danos acidentais: cabos ruins, discos com defeito, gravações interrompidas. Ele não foi feito para resistir a adulterações propositais.</translation>
    </message>
    <message>
        <source>settings.hash.p6</source>
        <translation>Cada checksum é registrado no Hash Log com 16 dígitos hexadecimais, para que os arquivos possam ser conferidos mais tarde com qualquer ferramenta que calcule XXH64.</translation>
    </message>
    <message>
        <source>settings.howitworks</source>
        <translation>COMO FUNCIONA</translation>
    </message>
    <message>
        <source>settings.howitworks.p1</source>
        <translation>O Stowline lê cada arquivo da origem uma única vez e o grava em todos os destinos ao mesmo tempo: acrescentar um destino não acrescenta outra leitura do cartão.</translation>
    </message>
    <message>
        <source>settings.howitworks.p2</source>
        <translation>Cada arquivo é gravado com um nome temporário terminado em “.stowline-partial” e só recebe o nome definitivo quando está completo, então uma cópia interrompida nunca parece pronta.</translation>
    </message>
    <message>
        <source>settings.howitworks.p3</source>
        <translation>Depois, cada cópia é lida de volta do disco de destino contornando o cache de arquivos do sistema, e o checksum dela precisa ser igual ao calculado a partir da origem. Só então a cópia é marcada como verificada.</translation>
    </message>
    <message>
        <source>settings.howitworks.p4</source>
        <translation>Se uma cópia não bater, o Stowline copia aquele arquivo mais uma vez e confere de novo; se continuar diferente, o arquivo é registrado como erro. Um arquivo que já está no destino com o mesmo tamanho e o mesmo checksum não é tocado e conta como verificado.</translation>
    </message>
    <message>
        <source>settings.howitworks.p5</source>
        <translation>Quando um destino enche, a transferência pausa e pergunta se você quer liberar espaço e retomar ou desistir daquele destino. Um destino que falha ou é desconectado sai da transferência, e os outros continuam.</translation>
    </message>
    <message>
        <source>settings.language</source>
        <translation>IDIOMA</translation>
    </message>
    <message>
        <source>settings.language.auto</source>
        <translation>Automático</translation>
    </message>
    <message>
        <source>settings.preferences_unwritable</source>
        <translation>Não é possível salvar as suas configurações: o arquivo de preferências não pode ser gravado. As mudanças valem até o Stowline ser fechado.</translation>
    </message>
    <message>
        <source>settings.reportformats</source>
        <translation>ARQUIVOS DE RELATÓRIO</translation>
    </message>
    <message>
        <source>settings.reportformats.ascmhl_hashes</source>
        <translation>Gravar também, da mesma leitura:</translation>
    </message>
    <message>
        <source>settings.reportformats.ascmhl_legend</source>
        <translation>histórico ASC MHL em cada pasta copiada: um manifesto a cada cópia e uma cadeia que mostra qualquer alteração posterior</translation>
    </message>
    <message>
        <source>settings.reportformats.mhl_legend</source>
        <translation>lista de hashes MHL 1.1, lida por outras ferramentas de verificação</translation>
    </message>
    <message>
        <source>settings.reportformats.none_warning</source>
        <translation>Nenhum relatório será gravado. As cópias continuam sendo verificadas, mas os destinos não vão guardar nenhum registro disso.</translation>
    </message>
    <message>
        <source>settings.reportformats.pdf_legend</source>
        <translation>relatório para imprimir e arquivar com a produção: cada arquivo, seu checksum e o resultado de cada destino</translation>
    </message>
    <message>
        <source>settings.reportformats.txt_legend</source>
        <translation>relatório em texto simples para ler ou imprimir</translation>
    </message>
    <message>
        <source>settings.reports</source>
        <translation>RELATÓRIOS</translation>
    </message>
    <message>
        <source>settings.reports.p1</source>
        <translation>Ao fim de cada transferência, cada destino recebe uma pasta “Hash Log” com uma lista de hashes MHL 1.1 (xxhash64be), com o caminho, o tamanho, as datas e o checksum de cada arquivo, e um relatório em texto simples; com o relatório em PDF ligado, também um PDF com os mesmos dados, pronto para imprimir.</translation>
    </message>
    <message>
        <source>settings.reports.p2</source>
        <translation>O relatório em texto indica as origens e o destino, o horário de início, a duração e a velocidade média, lista cada arquivo com seu checksum e cada erro com o motivo, e termina com um veredito. Guarde o Hash Log junto com o material: ele é a prova de que cada cópia estava íntegra.</translation>
    </message>
    <message>
        <source>settings.title</source>
        <translation>Configurações</translation>
    </message>
    <message>
        <source>settings.updates</source>
        <translation>ATUALIZAÇÕES</translation>
    </message>
    <message>
        <source>settings.updates.auto</source>
        <translation>Verificar atualizações automaticamente</translation>
    </message>
    <message>
        <source>settings.updates.check</source>
        <translation>Verificar agora</translation>
    </message>
    <message>
        <source>settings.updates.current</source>
        <translation>Versão %1</translation>
    </message>
    <message>
        <source>settings.updates.soon</source>
        <translation>A verificação de atualizações chega em uma versão futura.</translation>
    </message>
    <message>
        <source>slotpanel.copying</source>
        <translation>Copiando…</translation>
    </message>
    <message>
        <source>slotpanel.dest.empty</source>
        <translation>Solte os discos ou pastas de destino</translation>
    </message>
    <message>
        <source>slotpanel.dest.label</source>
        <translation>DESTINO</translation>
    </message>
    <message>
        <source>slotpanel.empty.hint</source>
        <translation>OU CLIQUE PARA ESCOLHER</translation>
    </message>
    <message>
        <source>slotpanel.free</source>
        <translation>ESPAÇO LIVRE</translation>
    </message>
    <message>
        <source>slotpanel.free.unknown</source>
        <translation>Desconhecido</translation>
    </message>
    <message>
        <source>slotpanel.free.value</source>
        <translation>%1% de %2</translation>
    </message>
    <message>
        <source>slotpanel.scanning</source>
        <translation>Analisando…</translation>
    </message>
    <message>
        <source>slotpanel.source.empty</source>
        <translation>Solte cartões, pastas ou arquivos</translation>
    </message>
    <message>
        <source>slotpanel.source.label</source>
        <translation>ORIGEM</translation>
    </message>
    <message>
        <source>slotpanel.stat.files</source>
        <translation>ARQUIVOS</translation>
    </message>
    <message>
        <source>slotpanel.stat.size</source>
        <translation>TAMANHO</translation>
    </message>
    <message>
        <source>titlebar.settings</source>
        <translation>Configurações</translation>
    </message>
    <message>
        <source>transferjob.dropped_no_space</source>
        <translation>descartado por falta de espaço</translation>
    </message>
    <message>
        <source>transferjob.report_write_failed</source>
        <translation>não foi possível gravar o Hash Log</translation>
    </message>
    <message>
        <source>transferjob.source_read_failed</source>
        <translation>Não foi possível ler as origens de “%1”.</translation>
    </message>
    <message>
        <source>transfers.cancelled</source>
        <translation>Cancelado</translation>
    </message>
    <message>
        <source>transfers.checking_existing</source>
        <translation>Conferindo cópias existentes…</translation>
    </message>
    <message>
        <source>transfers.clear</source>
        <translation>Limpar concluídas</translation>
    </message>
    <message>
        <source>transfers.done</source>
        <translation>Verificado · %1</translation>
    </message>
    <message>
        <source>transfers.done_with_errors</source>
        <translation>Concluído com erros</translation>
    </message>
    <message>
        <source>transfers.empty.hint</source>
        <translation>Adicione origens e destinos e inicie uma transferência.</translation>
    </message>
    <message>
        <source>transfers.empty.title</source>
        <translation>Nenhuma transferência ainda</translation>
    </message>
    <message>
        <source>transfers.failed</source>
        <translation>Falhou: %1</translation>
    </message>
    <message>
        <source>transfers.header</source>
        <translation>TRANSFERÊNCIAS</translation>
    </message>
    <message>
        <source>transfers.paused</source>
        <translation>Pausado</translation>
    </message>
    <message>
        <source>transfers.source_error</source>
        <translation>Não foi possível ler as origens</translation>
    </message>
    <message>
        <source>window.title</source>
        <translation>Stowline</translation>
    </message>
    <message numerus="yes">
        <source>bytes_count</source>
        <translation>
            <numerusform>%Ln byte</numerusform>
            <numerusform>%Ln bytes</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>check_problems_count</source>
        <translation>
            <numerusform>%Ln problema encontrado</numerusform>
            <numerusform>%Ln problemas encontrados</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>destinations_count</source>
        <translation>
            <numerusform>%Ln destino</numerusform>
            <numerusform>%Ln destinos</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>errors_count</source>
        <translation>
            <numerusform>%Ln erro</numerusform>
            <numerusform>%Ln erros</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>files_count</source>
        <translation>
            <numerusform>%Ln arquivo</numerusform>
            <numerusform>%Ln arquivos</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>folders_count</source>
        <translation>
            <numerusform>%Ln pasta</numerusform>
            <numerusform>%Ln pastas</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>hash_lists_count</source>
        <translation>
            <numerusform>Conferido com %Ln lista de hashes</numerusform>
            <numerusform>Conferido com %Ln listas de hashes</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>intact_files_count</source>
        <translation>
            <numerusform>%Ln arquivo íntegro</numerusform>
            <numerusform>%Ln arquivos íntegros</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>items_count</source>
        <translation>
            <numerusform>%Ln item</numerusform>
            <numerusform>%Ln itens</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>mhl_lists_count</source>
        <translation>
            <numerusform>%Ln lista de hashes</numerusform>
            <numerusform>%Ln listas de hashes</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>not_intact_files_count</source>
        <translation>
            <numerusform>%Ln arquivo não está íntegro</numerusform>
            <numerusform>%Ln arquivos não estão íntegros</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>selected_count</source>
        <translation>
            <numerusform>%Ln selecionado</numerusform>
            <numerusform>%Ln selecionados</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>uncovered_files_count</source>
        <translation>
            <numerusform>%Ln arquivo do disco não consta em nenhuma lista</numerusform>
            <numerusform>%Ln arquivos do disco não constam em nenhuma lista</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>verified_count</source>
        <translation>
            <numerusform>%Ln verificado</numerusform>
            <numerusform>%Ln verificados</numerusform>
        </translation>
    </message>
</context>
</TS>
