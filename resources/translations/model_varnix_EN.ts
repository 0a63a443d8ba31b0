<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>AppLog</name>
    <message>
        <source>无法创建日志目录 %1</source>
        <translation>Cannot create the log folder %1</translation>
    </message>
    <message>
        <source>日志目录 %1 不可写: %2</source>
        <translation>The log folder %1 is not writable: %2</translation>
    </message>
</context>
<context>
    <name>AuditTrail</name>
    <message>
        <source>时间</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>结果</source>
        <translation>Result</translation>
    </message>
    <message>
        <source>账户</source>
        <translation>Account</translation>
    </message>
    <message>
        <source>操作</source>
        <translation>Operation</translation>
    </message>
    <message>
        <source>表</source>
        <translation>Table</translation>
    </message>
    <message>
        <source>关键字列</source>
        <translation>Key columns</translation>
    </message>
    <message>
        <source>关键字</source>
        <translation>Key</translation>
    </message>
    <message>
        <source>列</source>
        <translation>Column</translation>
    </message>
    <message>
        <source>原值</source>
        <translation>Old value</translation>
    </message>
    <message>
        <source>新值</source>
        <translation>New value</translation>
    </message>
    <message>
        <source>原因</source>
        <translation>Reason</translation>
    </message>
    <message>
        <source>批次</source>
        <translation>Batch</translation>
    </message>
    <message>
        <source>数据库连接</source>
        <translation>Database connection</translation>
    </message>
    <message>
        <source>无法读取修改记录文件 %1: %2</source>
        <translation>Cannot read audit trail file %1: %2</translation>
    </message>
</context>
<context>
    <name>AuditTrailDlg</name>
    <message>
        <source>修改记录</source>
        <translation>Audit trail</translation>
    </message>
    <message>
        <source>从</source>
        <translation>From</translation>
    </message>
    <message>
        <source>yyyy-MM-dd HH:mm</source>
        <translation>yyyy-MM-dd HH:mm</translation>
    </message>
    <message>
        <source>到</source>
        <translation>To</translation>
    </message>
    <message>
        <source>账户</source>
        <translation>Account</translation>
    </message>
    <message>
        <source>表</source>
        <translation>Table</translation>
    </message>
    <message>
        <source>关键字</source>
        <translation>Key</translation>
    </message>
    <message>
        <source>关键字的一部分</source>
        <translation>Part of a key</translation>
    </message>
    <message>
        <source>只看已提交的修改</source>
        <translation>Committed changes only</translation>
    </message>
    <message>
        <source>查询</source>
        <translation>Search</translation>
    </message>
    <message>
        <source>所有账户</source>
        <translation>All accounts</translation>
    </message>
    <message>
        <source>所有表</source>
        <translation>All tables</translation>
    </message>
    <message>
        <source>共 %1 条记录</source>
        <translation>%1 records</translation>
    </message>
    <message>
        <source>还没有修改记录（%1 中没有 audit.log）</source>
        <translation>No changes recorded yet (no audit.log in %1)</translation>
    </message>
    <message>
        <source>；%1 行无法识别，已跳过</source>
        <translation>; %1 unrecognized lines skipped</translation>
    </message>
</context>
<context>
    <name>CLoginDlg</name>
    <message>
        <source>平台用户登录</source>
        <translation>Platform user login</translation>
    </message>
    <message>
        <source>用户名:</source>
        <translation>User name:</translation>
    </message>
    <message>
        <source>密码:</source>
        <translation>Password:</translation>
    </message>
    <message>
        <source>登录</source>
        <translation>Log in</translation>
    </message>
    <message>
        <source>直连数据库</source>
        <translation>Direct database link</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>登录失败</source>
        <translation>Login failed</translation>
    </message>
    <message>
        <source>失败原因:</source>
        <translation>Reason:</translation>
    </message>
</context>
<context>
    <name>CModelVarnixlogin</name>
    <message>
        <source>账号:%1 </source>
        <translation>Account: %1 </translation>
    </message>
    <message>
        <source>登录失败</source>
        <translation>Login failed</translation>
    </message>
    <message>
        <source>失败原因:</source>
        <translation>Reason:</translation>
    </message>
</context>
<context>
    <name>CfgCheckRules</name>
    <message>
        <source>用户组所属位置 %1 未配置</source>
        <translation>Location %1 of the user group is not configured</translation>
    </message>
    <message>
        <source>特殊功能 %1的子节点%2 未配置</source>
        <translation>Child node %2 of special function %1 is not configured</translation>
    </message>
    <message>
        <source>画面权限 %1未配置</source>
        <translation>Display permission %1 is not configured</translation>
    </message>
    <message>
        <source>报表浏览%1未配置</source>
        <translation>Report permission %1 is not configured</translation>
    </message>
    <message>
        <source>未关联前置测点</source>
        <translation>No front-end point linked</translation>
    </message>
    <message>
        <source> 不存在</source>
        <translation> does not exist</translation>
    </message>
    <message>
        <source>DI点不存在</source>
        <translation>The DI point does not exist</translation>
    </message>
    <message>
        <source>DI点不可控</source>
        <translation>The DI point is not controllable</translation>
    </message>
    <message>
        <source>后台测点 %1 不存在</source>
        <translation>Back-stage point %1 does not exist</translation>
    </message>
    <message>
        <source>查询失败</source>
        <translation>Query failed</translation>
    </message>
    <message>
        <source>标签结构错误</source>
        <translation>Wrong tag structure</translation>
    </message>
    <message>
        <source>字符&apos;.&apos;的数量异常</source>
        <translation>Wrong number of &apos;.&apos; characters</translation>
    </message>
    <message>
        <source>字符&apos;_&apos;的数量异常</source>
        <translation>Wrong number of &apos;_&apos; characters</translation>
    </message>
    <message>
        <source>标签中有错误字段：</source>
        <translation>Wrong field in the tag: </translation>
    </message>
    <message>
        <source>含有禁止使用字符&apos;_&apos;</source>
        <translation>Contains the forbidden character &apos;_&apos;</translation>
    </message>
    <message>
        <source>位置 %1、专业 %2</source>
        <translation>location %1, subsystem %2</translation>
    </message>
    <message>
        <source>被 %1 个后台测点关联：%2</source>
        <translation>Linked by %1 back-stage points: %2</translation>
    </message>
    <message>
        <source>前置测点 %1 在%2，后台测点在%3</source>
        <translation>Front-end point %1 is at %2, the back-stage point at %3</translation>
    </message>
</context>
<context>
    <name>CheckFindingsSheet</name>
    <message>
        <source>标签名</source>
        <translation>Tag name</translation>
    </message>
    <message>
        <source>描述</source>
        <translation>Description</translation>
    </message>
    <message>
        <source>错误原因</source>
        <translation>Error cause</translation>
    </message>
    <message>
        <source>检查组</source>
        <translation>Check group</translation>
    </message>
    <message>
        <source>检查项目</source>
        <translation>Check item</translation>
    </message>
    <message>
        <source>检查失败：</source>
        <translation>Check failed:</translation>
    </message>
</context>
<context>
    <name>ColMgrData</name>
    <message>
        <source>“%1”(%2)不能保存值“%3”：%4</source>
        <translation>&quot;%1&quot; (%2) cannot hold the value &quot;%3&quot;: %4</translation>
    </message>
</context>
<context>
    <name>ColumnKind</name>
    <message>
        <source>SQL类型 %1 与值类型 %2 不一致，按 %3 处理</source>
        <translation>SQL type %1 and value type %2 disagree; treated as %3</translation>
    </message>
    <message>
        <source>最多 %1 个字符</source>
        <translation>at most %1 characters</translation>
    </message>
    <message>
        <source>不是整数</source>
        <translation>not an integer</translation>
    </message>
    <message>
        <source>超出范围 %1 ~ %2</source>
        <translation>out of range %1 to %2</translation>
    </message>
    <message>
        <source>不是数字</source>
        <translation>not a number</translation>
    </message>
    <message>
        <source>整数部分最多 %1 位</source>
        <translation>at most %1 digits before the decimal point</translation>
    </message>
    <message>
        <source>小数部分最多 %1 位</source>
        <translation>at most %1 digits after the decimal point</translation>
    </message>
    <message>
        <source>含有 NUL 字符，数据库不能原样保存</source>
        <translation>holds a NUL character, which the database cannot store as it is</translation>
    </message>
    <message>
        <source>含有不成对的 UTF-16 代理字符，数据库不能原样保存</source>
        <translation>holds half of a UTF-16 surrogate pair, which the database cannot store as it is</translation>
    </message>
</context>
<context>
    <name>CsvFile</name>
    <message>
        <source>文件 %1 不存在</source>
        <translation>File %1 does not exist</translation>
    </message>
    <message>
        <source>文件 %1 有 %2 字节，太大了，不是可以导入的 CSV 文件</source>
        <translation>File %1 is %2 bytes, too large to be an importable CSV file</translation>
    </message>
    <message>
        <source>无法打开文件 %1: %2</source>
        <translation>Cannot open file %1: %2</translation>
    </message>
    <message>
        <source>文件是空的</source>
        <translation>The file is empty</translation>
    </message>
    <message>
        <source>文件中只有空行</source>
        <translation>The file contains only blank lines</translation>
    </message>
    <message>
        <source>不支持的编码 %1（可选: %2）</source>
        <translation>Unsupported encoding %1 (available: %2)</translation>
    </message>
    <message>
        <source>按 %1 读取时有 %2 处字节不属于该编码：请选择文件实际的编码</source>
        <translation>Reading as %1 found %2 bytes that are not valid in that encoding: choose the file&apos;s actual encoding</translation>
    </message>
    <message>
        <source>无法识别文件的编码：它既不是 UTF-8 也不是 GB18030 编码的文本</source>
        <translation>Cannot detect the file&apos;s encoding: it is neither UTF-8 nor GB18030 text</translation>
    </message>
    <message>
        <source>文件超过 %1 行（电子表格的行数上限），请分成几个文件导入</source>
        <translation>The file has more than %1 lines (the spreadsheet row limit); split it into several files to import</translation>
    </message>
    <message>
        <source>这不是文本文件（含有 NUL 字节），不是 CSV</source>
        <translation>This is not a text file (it holds NUL bytes), not CSV</translation>
    </message>
    <message>
        <source>这是 XLSX 或其他压缩文件，不是 CSV：请在电子表格程序中“另存为”CSV 后再导入</source>
        <translation>This is an XLSX or other compressed file, not CSV: “Save as” CSV in the spreadsheet program, then import that</translation>
    </message>
    <message>
        <source>这是旧版 Excel（.xls）文件，不是 CSV：请在电子表格程序中“另存为”CSV 后再导入</source>
        <translation>This is an old Excel (.xls) file, not CSV: “Save as” CSV in the spreadsheet program, then import that</translation>
    </message>
    <message>
        <source>这个 UTF-16 文件有 %1 处损坏的字符（半个代理对或多出的字节），未读取</source>
        <translation>This UTF-16 file has %1 broken character(s) (half a surrogate pair, or a byte alone); nothing was read</translation>
    </message>
</context>
<context>
    <name>DemoGenerator</name>
    <message>
        <source>写入表 %1 失败: %2</source>
        <translation>Writing table %1 failed: %2</translation>
    </message>
    <message>
        <source>在 %1 中没有可用的表定义文件 %2</source>
        <translation>No usable table definition file in %1 %2</translation>
    </message>
    <message>
        <source>无法开始事务: %1</source>
        <translation>Cannot begin a transaction: %1</translation>
    </message>
    <message>
        <source>提交失败: %1</source>
        <translation>Commit failed: %1</translation>
    </message>
</context>
<context>
    <name>FesLinkWarnings</name>
    <message>
        <source>前置测点在位置 %1，后台测点的设备在位置 %2</source>
        <translation>The front-end point is at location %1, the back-stage point&apos;s device at location %2</translation>
    </message>
    <message>
        <source>前置测点属于专业 %1，后台测点的设备属于专业 %2</source>
        <translation>The front-end point belongs to subsystem %1, the back-stage point&apos;s device to subsystem %2</translation>
    </message>
    <message>
        <source>前置测点在 RTU %1 上，后台测点在 RTU %2 上</source>
        <translation>The front-end point is on RTU %1, the back-stage point on RTU %2</translation>
    </message>
    <message>
        <source>%1（%2）</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>前置测点已关联到后台测点 %1</source>
        <translation>The front-end point is linked already to back-stage point %1</translation>
    </message>
    <message>
        <source>、</source>
        <translation>, </translation>
    </message>
    <message>
        <source> 等 %1 个</source>
        <translation> and others, %1 in all</translation>
    </message>
</context>
<context>
    <name>ImportColumns</name>
    <message>
        <source>表 %1 没有主键，无法按关键字导入</source>
        <translation>Table %1 has no primary key and cannot be imported by key</translation>
    </message>
    <message>
        <source>文件中没有表头</source>
        <translation>The file has no header</translation>
    </message>
    <message>
        <source>第 %1 列的表头“%2”是多个列的描述，请改用列名</source>
        <translation>The header “%2” of column %1 describes several columns; use the column name instead</translation>
    </message>
    <message>
        <source>列 %1 在文件中出现两次（第 %2 列和第 %3 列）</source>
        <translation>Column %1 appears twice in the file (columns %2 and %3)</translation>
    </message>
    <message>
        <source>第 %1 列（没有表头）</source>
        <translation>Column %1 (no header)</translation>
    </message>
    <message>
        <source>；第一行没有逗号：用制表符或分号分隔的文件请另存为逗号分隔的 CSV</source>
        <translation>; the first line has no comma: save tab- or semicolon-separated files as comma-separated CSV</translation>
    </message>
    <message>
        <source>文件中没有关键字列 %1</source>
        <translation>The file has no key column %1</translation>
    </message>
</context>
<context>
    <name>ImportPlan</name>
    <message>
        <source>有 %1 个字段，表头有 %2 个</source>
        <translation>has %1 fields, the header has %2</translation>
    </message>
    <message>
        <source>关键字 %1 为空</source>
        <translation>Key %1 is empty</translation>
    </message>
    <message>
        <source>；</source>
        <translation>; </translation>
    </message>
    <message>
        <source>关键字与第 %1 行重复</source>
        <translation>Duplicate key (same as line %1)</translation>
    </message>
    <message>
        <source>列 %1 不可修改</source>
        <translation>Column %1 cannot be modified</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>拒绝</source>
        <translation>Refused</translation>
    </message>
    <message>
        <source>修改</source>
        <translation>Changed</translation>
    </message>
    <message>
        <source>新增</source>
        <translation>New</translation>
    </message>
    <message>
        <source>未变</source>
        <translation>Unchanged</translation>
    </message>
    <message>
        <source>新增 %1&#x3000;修改 %2（%3 个单元格）&#x3000;未变 %4&#x3000;拒绝 %5&#x3000;删除 %6</source>
        <translation>New %1  Changed %2 (%3 cells)  Unchanged %4  Refused %5  Delete %6</translation>
    </message>
    <message>
        <source>表中有、文件中没有：将删除</source>
        <translation>In the table but not in the file: will be deleted</translation>
    </message>
    <message>
        <source>（文件中有被拒绝的行，表中缺少的行不删除）</source>
        <translation> (the file has refused rows: rows missing from it are not deleted)</translation>
    </message>
    <message>
        <source>(空)</source>
        <translation>(empty)</translation>
    </message>
</context>
<context>
    <name>ImportPreviewModel</name>
    <message>
        <source>文件行</source>
        <translation>File line</translation>
    </message>
    <message>
        <source>类别</source>
        <translation>Category</translation>
    </message>
    <message>
        <source>关键字</source>
        <translation>Key</translation>
    </message>
    <message>
        <source>修改内容或拒绝原因</source>
        <translation>Changes or reason for refusal</translation>
    </message>
</context>
<context>
    <name>IniSettings</name>
    <message>
        <source>这是一个文件夹，不是文件</source>
        <translation>this is a folder, not a file</translation>
    </message>
</context>
<context>
    <name>InstallRoot</name>
    <message>
        <source>无法把 %1 复制到 %2: %3</source>
        <translation>Cannot copy %1 to %2: %3</translation>
    </message>
</context>
<context>
    <name>LoginDlg</name>
    <message>
        <source>登录</source>
        <translation>Log in</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>用户</source>
        <translation>User</translation>
    </message>
    <message>
        <source>密码</source>
        <translation>Password</translation>
    </message>
    <message>
        <source>IP地址：</source>
        <translation>IP address:</translation>
    </message>
    <message>
        <source>端口</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>数据库类型</source>
        <translation>Database type</translation>
    </message>
    <message>
        <source>数据库名称:</source>
        <translation>Database name:</translation>
    </message>
    <message>
        <source>MySQL</source>
        <translation>MySQL</translation>
    </message>
    <message>
        <source>Oracle</source>
        <translation>Oracle</translation>
    </message>
    <message>
        <source>OpenGauss</source>
        <translation>OpenGauss</translation>
    </message>
    <message>
        <source>KingBase</source>
        <translation>KingBase</translation>
    </message>
    <message>
        <source>,可能未进行系统建模!</source>
        <translation>; the system may not have been modelled yet!</translation>
    </message>
    <message>
        <source>登录失败</source>
        <translation>Login failed</translation>
    </message>
    <message>
        <source>失败原因:</source>
        <translation>Reason:</translation>
    </message>
    <message>
        <source>无法保存连接设置到 %1: %2</source>
        <translation>Cannot save the connection settings to %1: %2</translation>
    </message>
    <message>
        <source>消息</source>
        <translation>Message</translation>
    </message>
    <message>
        <source>首选：服务器提供加密时加密，不检查证书
必需：只用加密连接；给出CA证书时检查证书链
验证服务器：只用加密连接，并检查证书链和主机名</source>
        <translation>Preferred: encrypted when the server offers it, certificate not checked
Required: encrypted links only; the certificate chain is checked when a CA certificate is given
Verify server: encrypted links only, certificate chain and host name checked</translation>
    </message>
    <message>
        <source>加密连接</source>
        <translation>Encryption</translation>
    </message>
    <message>
        <source>CA证书</source>
        <translation>CA certificate</translation>
    </message>
    <message>
        <source>客户端证书</source>
        <translation>Client certificate</translation>
    </message>
    <message>
        <source>客户端私钥</source>
        <translation>Client key</translation>
    </message>
    <message>
        <source>可不填</source>
        <translation>optional</translation>
    </message>
    <message>
        <source>选择文件</source>
        <translation>Choose a file</translation>
    </message>
    <message>
        <source>证书和私钥 (*.pem *.crt *.cer *.key);;所有文件 (*)</source>
        <translation>Certificates and keys (*.pem *.crt *.cer *.key);;All files (*)</translation>
    </message>
    <message>
        <source>IP地址</source>
        <translation>IP address</translation>
    </message>
    <message>
        <source>数据库名称</source>
        <translation>Database name</translation>
    </message>
    <message>
        <source>请检查：%1</source>
        <translation>Please check: %1</translation>
    </message>
    <message>
        <source>、</source>
        <translation>, </translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>建模工具</source>
        <translation>Modelling tool</translation>
    </message>
    <message>
        <source>系统</source>
        <translation>System</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>帮助</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>版本信息</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>帮助文档</source>
        <translation>Documentation</translation>
    </message>
    <message>
        <source>属性面板主键可编辑</source>
        <translation>Primary keys editable in property pages</translation>
    </message>
    <message>
        <source>前置测点检索器</source>
        <translation>Front-end point finder</translation>
    </message>
    <message>
        <source>后台测点检索器</source>
        <translation>Back-stage point browser</translation>
    </message>
    <message>
        <source>批量修改后台测点</source>
        <translation>Batch-edit back-stage points</translation>
    </message>
    <message>
        <source>批量修改前置测点</source>
        <translation>Batch-edit front-end points</translation>
    </message>
    <message>
        <source>配置检查</source>
        <translation>Configuration check</translation>
    </message>
    <message>
        <source>设备建模</source>
        <translation>Device modelling</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>读取mainWindow.xml文件错误，请检查xml文件格式是否正确！</source>
        <translation>Cannot read mainWindow.xml; please check that the XML file is well-formed!</translation>
    </message>
    <message>
        <source>数据库错误</source>
        <translation>Database error</translation>
    </message>
    <message>
        <source>数据库错误：</source>
        <translation>Database error:</translation>
    </message>
    <message>
        <source>版本号:%1</source>
        <translation>Version: %1</translation>
    </message>
    <message>
        <source>消息</source>
        <translation>Message</translation>
    </message>
    <message>
        <source>导出…</source>
        <translation>Export…</translation>
    </message>
    <message>
        <source>Ctrl+E</source>
        <translation>Ctrl+E</translation>
    </message>
    <message>
        <source>导入…</source>
        <translation>Import…</translation>
    </message>
    <message>
        <source>修改记录</source>
        <translation>Audit trail</translation>
    </message>
    <message>
        <source>当前页面没有可以导出的表格</source>
        <translation>The current page has no table to export</translation>
    </message>
    <message>
        <source>%1（%2）</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>只读</source>
        <translation>Read only</translation>
    </message>
    <message>
        <source>当前用户没有修改权限：可以查看，不能修改</source>
        <translation>The current user may look but not change anything</translation>
    </message>
    <message>
        <source>无法保存窗口设置: %1</source>
        <translation>Cannot save the window settings: %1</translation>
    </message>
</context>
<context>
    <name>ModelCli</name>
    <message>
        <source>,可能未进行系统建模!</source>
        <translation>, system modelling may not have been done!</translation>
    </message>
</context>
<context>
    <name>ModelContext</name>
    <message>
        <source>数据库查询域失败</source>
        <translation>Reading the domains from the database failed</translation>
    </message>
    <message>
        <source>数据库中不存在任何域</source>
        <translation>The database holds no domain</translation>
    </message>
    <message>
        <source>数据库查询位置失败</source>
        <translation>Reading the locations from the database failed</translation>
    </message>
    <message>
        <source>数据库中不存在任何位置</source>
        <translation>The database holds no location</translation>
    </message>
    <message>
        <source>数据库查询应用失败</source>
        <translation>Reading the applications from the database failed</translation>
    </message>
    <message>
        <source>数据库中不存在任何应用</source>
        <translation>The database holds no application</translation>
    </message>
    <message>
        <source>数据库查询专业失败</source>
        <translation>Reading the subsystems from the database failed</translation>
    </message>
    <message>
        <source>数据库中不存在任何专业</source>
        <translation>The database holds no subsystem</translation>
    </message>
</context>
<context>
    <name>OrvBackPointPatch</name>
    <message>
        <source>批量修改后台测点</source>
        <translation>Batch-edit back-stage points</translation>
    </message>
    <message>
        <source>位置：</source>
        <translation>Location:</translation>
    </message>
    <message>
        <source>专业：</source>
        <translation>Subsystem:</translation>
    </message>
    <message>
        <source>设备组：</source>
        <translation>Group:</translation>
    </message>
    <message>
        <source>设备：</source>
        <translation>Device:</translation>
    </message>
    <message>
        <source>点类型：</source>
        <translation>Type:</translation>
    </message>
    <message>
        <source>前置RTU：</source>
        <translation>RTU:</translation>
    </message>
    <message>
        <source>查询</source>
        <translation>Query</translation>
    </message>
    <message>
        <source>基础属性</source>
        <translation>Basic</translation>
    </message>
    <message>
        <source>前置属性</source>
        <translation>Front end</translation>
    </message>
    <message>
        <source>限值属性</source>
        <translation>Limits</translation>
    </message>
    <message>
        <source>控制属性</source>
        <translation>Control</translation>
    </message>
    <message>
        <source>位置</source>
        <translation>Location</translation>
    </message>
    <message>
        <source>专业</source>
        <translation>Subsystem</translation>
    </message>
    <message>
        <source>设备组</source>
        <translation>Device group</translation>
    </message>
    <message>
        <source>RTU</source>
        <translation>RTU</translation>
    </message>
    <message>
        <source>设备</source>
        <translation>Device</translation>
    </message>
</context>
<context>
    <name>OrvBatchEdit</name>
    <message>
        <source>%1 选中行 从0开始自增</source>
        <translation>%1: number selected rows from 0</translation>
    </message>
    <message>
        <source>%1 选中行 从1开始自增</source>
        <translation>%1: number selected rows from 1</translation>
    </message>
    <message>
        <source>%1 选中行 自定义自增</source>
        <translation>%1: number selected rows by pattern</translation>
    </message>
    <message>
        <source>%1 选中行 取相同值</source>
        <translation>%1: give selected rows one value</translation>
    </message>
    <message>
        <source>%1 选中行 查找与替换</source>
        <translation>%1: find and replace in selected rows</translation>
    </message>
    <message>
        <source>撤销上次批量修改</source>
        <translation>Undo the last batch edit</translation>
    </message>
    <message>
        <source>取相同值</source>
        <translation>One value</translation>
    </message>
    <message>
        <source>请输入</source>
        <translation>Enter the value</translation>
    </message>
    <message>
        <source>查找内容为空，未做任何修改。</source>
        <translation>Nothing to find; nothing was changed.</translation>
    </message>
    <message>
        <source>当前用户没有修改权限，不能批量修改。</source>
        <translation>The current user may not make changes; no batch edit.</translation>
    </message>
    <message>
        <source>%1
文本格式不对</source>
        <translation>%1
The text has the wrong format</translation>
    </message>
    <message>
        <source>该列不可编辑</source>
        <translation>This column cannot be edited</translation>
    </message>
    <message>
        <source>该列是主键,不可编辑</source>
        <translation>This column is a primary key and cannot be edited</translation>
    </message>
    <message>
        <source>开始执行自增菜单</source>
        <translation>Numbering started</translation>
    </message>
    <message>
        <source>开始执行取相同值菜单</source>
        <translation>Setting one value started</translation>
    </message>
    <message>
        <source>开始执行查找与替换菜单</source>
        <translation>Find and replace started</translation>
    </message>
    <message>
        <source>自增菜单结束</source>
        <translation>Numbering finished</translation>
    </message>
    <message>
        <source>取相同值菜单结束</source>
        <translation>Setting one value finished</translation>
    </message>
    <message>
        <source>查找与替换菜单结束</source>
        <translation>Find and replace finished</translation>
    </message>
    <message>
        <source>修改成功!</source>
        <translation>Changed successfully!</translation>
    </message>
    <message>
        <source>没有可以撤销的批量修改。</source>
        <translation>There is no batch edit to undo.</translation>
    </message>
    <message>
        <source>上次批量修改的行已不在表格中（表格已重新查询），无法撤销。</source>
        <translation>The rows of the last batch edit are no longer in the table (it was queried again); cannot undo.</translation>
    </message>
    <message>
        <source>开始执行撤销菜单</source>
        <translation>Undo started</translation>
    </message>
    <message>
        <source>撤销菜单结束</source>
        <translation>Undo finished</translation>
    </message>
    <message>
        <source>消息</source>
        <translation>Message</translation>
    </message>
    <message>
        <source>导出…</source>
        <translation>Export…</translation>
    </message>
    <message>
        <source>%1（%2）查询结果</source>
        <translation>%1 (%2) query results</translation>
    </message>
    <message>
        <source>正在读取选中的行...</source>
        <translation>Reading the selected rows...</translation>
    </message>
    <message>
        <source>读取选中的行失败，未做任何修改。
原因: %1</source>
        <translation>The selected rows could not be read; nothing was changed.
Reason: %1</translation>
    </message>
    <message>
        <source>选中的第%1条已不是表格中显示的记录（记录可能已被其他操作删除、增加或修改），未做任何修改。请重新查询。</source>
        <translation>Selected row %1 is no longer the record the table showed (records may have been deleted, added or changed by someone else); nothing was changed. Please search again.</translation>
    </message>
    <message>
        <source>选中的单元格都是空的，未做任何修改。</source>
        <translation>All selected cells are empty; nothing was changed.</translation>
    </message>
    <message>
        <source>表格显示之后已有记录被其他操作增加或删除，未做任何修改。请重新查询。</source>
        <translation>Records were added or deleted by another operation since the table was shown; nothing was changed. Please search again.</translation>
    </message>
</context>
<context>
    <name>OrvDbDesign</name>
    <message>
        <source>查询结果中没有列 %1 或 %2</source>
        <translation>The query result has no column %1 or %2</translation>
    </message>
    <message>
        <source>查询返回的列数不足: %1</source>
        <translation>The query returned too few columns: %1</translation>
    </message>
    <message>
        <source>数据库连接已断开</source>
        <translation>The database connection is gone</translation>
    </message>
</context>
<context>
    <name>OrvEditMarksProxy</name>
    <message>
        <source>数据库中的值: %1</source>
        <translation>Value in the database: %1</translation>
    </message>
    <message>
        <source>保存失败的单元格</source>
        <translation>The save failed on this cell</translation>
    </message>
</context>
<context>
    <name>OrvFesLinkDropFilter</name>
    <message>
        <source>拖入的数据不是前置测点</source>
        <translation>What was dropped is not a front-end point</translation>
    </message>
    <message>
        <source>一行只能关联一个前置测点，请只拖入一个测点</source>
        <translation>A row links to one front-end point only; drop a single point</translation>
    </message>
    <message>
        <source>读取前置测点 %1 失败：%2</source>
        <translation>Reading front-end point %1 failed: %2</translation>
    </message>
    <message>
        <source>确定将 %1（%2）关联到前置测点 %3（%4）？
当前关联的前置测点：%5</source>
        <translation>Link %1 (%2) to front-end point %3 (%4)?
Currently linked front-end point: %5</translation>
    </message>
    <message>
        <source>消息</source>
        <translation>Message</translation>
    </message>
    <message>
        <source>关联失败：前置测点 %1 未被接受</source>
        <translation>Linking failed: front-end point %1 was not accepted</translation>
    </message>
    <message>
        <source>关联失败：%1</source>
        <translation>Linking failed: %1</translation>
    </message>
    <message>
        <source>前置测点 %1 是%2，“%3”只能关联%4</source>
        <translation>Front-end point %1 is a %2; “%3” links only to %4</translation>
    </message>
    <message>
        <source>“%1”有未保存的修改，请先保存或撤销，再关联前置测点</source>
        <translation>“%1” has unsaved edits; save or undo them before linking a front-end point</translation>
    </message>
    <message>
        <source>前置测点 %1 在%2中不存在</source>
        <translation>Front-end point %1 does not exist in %2</translation>
    </message>
    <message>
        <source>无法核对这个关联：%1</source>
        <translation>This link could not be checked: %1</translation>
    </message>
    <message>
        <source>请注意：</source>
        <translation>Please note:</translation>
    </message>
    <message>
        <source>确认期间表格已重新排列，未关联前置测点 %1，请重新拖入</source>
        <translation>The table was reordered while you confirmed; front-end point %1 was not linked. Please drop it again</translation>
    </message>
</context>
<context>
    <name>OrvFesPointDlg</name>
    <message>
        <source>前置测点检索器</source>
        <translation>Front-end point finder</translation>
    </message>
    <message>
        <source>筛选设备</source>
        <translation>Filter devices</translation>
    </message>
    <message>
        <source>位置</source>
        <translation>Location</translation>
    </message>
    <message>
        <source>专业</source>
        <translation>Subsystem</translation>
    </message>
    <message>
        <source>RTU</source>
        <translation>RTU</translation>
    </message>
    <message>
        <source>点类型</source>
        <translation>Point type</translation>
    </message>
    <message>
        <source>标签名</source>
        <translation>Tag name</translation>
    </message>
    <message>
        <source>设备</source>
        <translation>Device</translation>
    </message>
    <message>
        <source>测点</source>
        <translation>Points</translation>
    </message>
    <message>
        <source>%1（%2）</source>
        <translation>%1 (%2)</translation>
    </message>
</context>
<context>
    <name>OrvFesPointPatch</name>
    <message>
        <source>批量修改前置测点</source>
        <translation>Batch-edit front-end points</translation>
    </message>
    <message>
        <source>位置：</source>
        <translation>Location:</translation>
    </message>
    <message>
        <source>专业：</source>
        <translation>Subsystem:</translation>
    </message>
    <message>
        <source>RTU：</source>
        <translation>RTU:</translation>
    </message>
    <message>
        <source>设备：</source>
        <translation>Device:</translation>
    </message>
    <message>
        <source>点类型：</source>
        <translation>Point type:</translation>
    </message>
    <message>
        <source>查询</source>
        <translation>Query</translation>
    </message>
    <message>
        <source>位置</source>
        <translation>Location</translation>
    </message>
    <message>
        <source>专业</source>
        <translation>Subsystem</translation>
    </message>
    <message>
        <source>RTU</source>
        <translation>RTU</translation>
    </message>
    <message>
        <source>设备</source>
        <translation>Device</translation>
    </message>
    <message>
        <source>测点</source>
        <translation>Points</translation>
    </message>
</context>
<context>
    <name>OrvInputDlg</name>
    <message>
        <source>自定义自增</source>
        <translation>Number by pattern</translation>
    </message>
    <message>
        <source>例如 AI_%1</source>
        <translation>for example AI_%1</translation>
    </message>
    <message>
        <source>文本格式:</source>
        <translation>Text pattern:</translation>
    </message>
    <message>
        <source>起始值:</source>
        <translation>Start value:</translation>
    </message>
    <message>
        <source>格式中的 %1 依次替换为 起始值、起始值+1 ...</source>
        <translation>%1 in the pattern becomes the start value, start value + 1, ...</translation>
    </message>
</context>
<context>
    <name>OrvPatchTable</name>
    <message>
        <source>所有</source>
        <translation>All</translation>
    </message>
</context>
<context>
    <name>OrvPropertyPage</name>
    <message>
        <source>筛选(不区分大小写)</source>
        <translation>Filter (letter case ignored)</translation>
    </message>
    <message>
        <source>刷新</source>
        <translation>Refresh</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>撤销修改</source>
        <translation>Undo changes</translation>
    </message>
    <message>
        <source>筛选列:</source>
        <translation>Filter column:</translation>
    </message>
    <message>
        <source>表 %1 已被其他操作修改，保存前请核对或刷新</source>
        <translation>Table %1 was changed by another operation; check or refresh before saving</translation>
    </message>
    <message>
        <source>消息</source>
        <translation>Message</translation>
    </message>
    <message>
        <source>全部列</source>
        <translation>All columns</translation>
    </message>
    <message>
        <source>已保存</source>
        <translation>Saved</translation>
    </message>
    <message>
        <source>保存失败</source>
        <translation>Saving failed</translation>
    </message>
    <message>
        <source>表 %1 有未保存的修改，刷新将放弃这些修改。确定刷新吗？</source>
        <translation>Table %1 has unsaved changes; refreshing discards them. Refresh anyway?</translation>
    </message>
    <message>
        <source>%1: 共 %2 条记录，显示 %3 条</source>
        <translation>%1: %2 records, %3 shown</translation>
    </message>
    <message>
        <source>；有未保存的修改</source>
        <translation>; unsaved changes</translation>
    </message>
    <message>
        <source>；读取失败: %1</source>
        <translation>; reading failed: %1</translation>
    </message>
    <message>
        <source>保存失败，修改仍在，改正后可再次保存</source>
        <translation>Save failed; the edits are kept, correct them and save again</translation>
    </message>
    <message>
        <source>（第 %1 行“%2”）</source>
        <translation>(row %1, &quot;%2&quot;)</translation>
    </message>
    <message>
        <source>…</source>
        <translation>…</translation>
    </message>
    <message>
        <source>只读</source>
        <translation>Read only</translation>
    </message>
    <message>
        <source>；正在读取…</source>
        <translation>; reading…</translation>
    </message>
    <message>
        <source>约 %1</source>
        <translation>about %1</translation>
    </message>
</context>
<context>
    <name>OrvReadStatus</name>
    <message>
        <source>读取%1失败: %2</source>
        <translation>Reading %1 failed: %2</translation>
    </message>
</context>
<context>
    <name>OrvReplaceDlg</name>
    <message>
        <source>查找与替换</source>
        <translation>Find and replace</translation>
    </message>
    <message>
        <source>查找:</source>
        <translation>Find:</translation>
    </message>
    <message>
        <source>替换为:</source>
        <translation>Replace with:</translation>
    </message>
</context>
<context>
    <name>OrvSchema</name>
    <message>
        <source>建表失败: %1
原因: %2</source>
        <translation>Creating a table failed: %1
Reason: %2</translation>
    </message>
</context>
<context>
    <name>OrvTableDataMgr</name>
    <message>
        <source>数据库配置 %1 中的值不是文本，按默认值读取: %2</source>
        <translation>A value in the database configuration %1 is not text; its default is used: %2</translation>
    </message>
    <message>
        <source>数据库配置 %1 中的数据库类型“%2”无法识别，可用的类型: %3</source>
        <translation>The database type &quot;%2&quot; in the database configuration %1 is unknown; the types are: %3</translation>
    </message>
    <message>
        <source>数据库:%1</source>
        <translation>Database: %1</translation>
    </message>
    <message>
        <source>数据库未连接</source>
        <translation>No database link</translation>
    </message>
    <message>
        <source>平台连接</source>
        <translation>platform link</translation>
    </message>
    <message>
        <source>直连</source>
        <translation>direct link</translation>
    </message>
    <message>
        <source>表 %1 的定义中没有列 %2，无法检查其值</source>
        <translation>The definition of table %1 has no column %2; its value cannot be checked</translation>
    </message>
    <message>
        <source>%1。未执行任何修改。</source>
        <translation>%1. Nothing was changed.</translation>
    </message>
    <message>
        <source>第%1条语句: %2。未执行任何修改。</source>
        <translation>Statement %1: %2. Nothing was changed.</translation>
    </message>
    <message>
        <source>当前用户没有修改权限，未执行任何修改。</source>
        <translation>The current user may not make changes; nothing was changed.</translation>
    </message>
    <message>
        <source>第%1条语句不是单条SQL语句，已拒绝执行，未执行任何修改。
语句: %2</source>
        <translation>Statement %1 is not a single SQL statement and was refused; nothing was changed.
Statement: %2</translation>
    </message>
    <message>
        <source>第%1条语句的值无法检查，已拒绝执行，未执行任何修改。可以检查的语句: %2
语句: %3</source>
        <translation>The values of statement %1 cannot be checked, so it was refused; nothing was changed. Statements that can be checked: %2
Statement: %3</translation>
    </message>
    <message>
        <source>无效的表定义名: %1</source>
        <translation>Invalid table definition name: %1</translation>
    </message>
    <message>
        <source>无法读取数据库配置 %1: %2</source>
        <translation>Cannot read the database configuration %1: %2</translation>
    </message>
    <message>
        <source>数据库连接中断: %1</source>
        <translation>Database connection lost: %1</translation>
    </message>
    <message>
        <source>数据库连接中断，重新连接失败</source>
        <translation>Database connection lost; reconnecting failed</translation>
    </message>
    <message>
        <source>数据库连接中断，重新连接失败: %1</source>
        <translation>Database connection lost; reconnecting failed: %1</translation>
    </message>
    <message>
        <source>已重新连接数据库 %1</source>
        <translation>Reconnected to the database %1</translation>
    </message>
    <message>
        <source>数据库连接中断，修改未完成</source>
        <translation>Database connection lost; the changes were not made</translation>
    </message>
    <message>
        <source>数据库配置 %1 中的加密方式“%2”无法识别，可用的方式: %3</source>
        <translation>The encryption &quot;%2&quot; in the database configuration %1 is unknown; accepted: %3</translation>
    </message>
    <message>
        <source>未加密</source>
        <translation>not encrypted</translation>
    </message>
    <message>
        <source>已加密(%1)</source>
        <translation>encrypted (%1)</translation>
    </message>
    <message>
        <source>数据库配置 %1 的 [database] 节中没有数据库类型 type，可用的类型: %2</source>
        <translation>The database configuration %1 names no database type (type in its [database] section); accepted types: %2</translation>
    </message>
    <message>
        <source>数据库配置 %1 中的端口“%2”无效：端口须是1到65535之间的数</source>
        <translation>The port &quot;%2&quot; in the database configuration %1 is invalid: a port is a number from 1 to 65535</translation>
    </message>
</context>
<context>
    <name>OrvTableModel</name>
    <message>
        <source>没有这一列</source>
        <translation>No such column</translation>
    </message>
    <message>
        <source>当前用户没有修改权限</source>
        <translation>The current user may not make changes</translation>
    </message>
    <message>
        <source>该列不可编辑</source>
        <translation>This column cannot be edited</translation>
    </message>
    <message>
        <source>该列是主键,不可编辑</source>
        <translation>This column is a primary key and cannot be edited</translation>
    </message>
    <message>
        <source>表 %1 没有主键，无法保存修改</source>
        <translation>Table %1 has no primary key; changes cannot be saved</translation>
    </message>
</context>
<context>
    <name>OrvWaitPrgDlg</name>
    <message>
        <source>请稍候</source>
        <translation>Please wait</translation>
    </message>
    <message>
        <source>正在执行，请稍候...</source>
        <translation>Working, please wait...</translation>
    </message>
    <message>
        <source>修改没有返回结果，数据库未确认修改。</source>
        <translation>The changes returned no result; the database did not confirm them.</translation>
    </message>
</context>
<context>
    <name>PageActions</name>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>刷新</source>
        <translation>Refresh</translation>
    </message>
    <message>
        <source>筛选</source>
        <translation>Filter</translation>
    </message>
    <message>
        <source>筛选 (%1)</source>
        <translation>Filter (%1)</translation>
    </message>
    <message>
        <source>复制</source>
        <translation>Copy</translation>
    </message>
    <message>
        <source>撤销上次单元格修改</source>
        <translation>Undo the last cell edit</translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <translation>%1 (%2)</translation>
    </message>
</context>
<context>
    <name>PlatformAccount</name>
    <message>
        <source>请输入用户名</source>
        <translation>Please enter a user name</translation>
    </message>
    <message>
        <source>无法连接平台数据库: %1</source>
        <translation>Cannot connect to the platform database: %1</translation>
    </message>
    <message>
        <source>读取平台用户失败: %1</source>
        <translation>Reading the platform users failed: %1</translation>
    </message>
    <message>
        <source>用户名或密码错误</source>
        <translation>Wrong user name or password</translation>
    </message>
    <message>
        <source>无法更新用户 %1 的密码散列: %2</source>
        <translation>Cannot update the password hash of user %1: %2</translation>
    </message>
    <message>
        <source>读取用户 %1 的权限失败: %2</source>
        <translation>Reading the rights of user %1 failed: %2</translation>
    </message>
</context>
<context>
    <name>PointCatalogue</name>
    <message>
        <source>模拟量</source>
        <translation>Analog</translation>
    </message>
    <message>
        <source>数字量</source>
        <translation>Digital</translation>
    </message>
    <message>
        <source>累积量</source>
        <translation>Accumulator</translation>
    </message>
    <message>
        <source>混合量</source>
        <translation>Mix</translation>
    </message>
    <message>
        <source>模拟量控制</source>
        <translation>Analog control</translation>
    </message>
    <message>
        <source>数字量控制</source>
        <translation>Digital control</translation>
    </message>
    <message>
        <source>混合量控制</source>
        <translation>Mix control</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>消息</source>
        <translation>Message</translation>
    </message>
    <message>
        <source>启动日志服务失败:</source>
        <translation>The logging service did not start: </translation>
    </message>
    <message>
        <source>model_varnix begin run....</source>
        <translation>model_varnix begin run....</translation>
    </message>
    <message>
        <source>设备建模</source>
        <translation>Device modelling</translation>
    </message>
    <message>
        <source>连接设置 %1 中 %2 的值不是文本，按默认值读取</source>
        <translation>The value of %2 in the connection settings %1 is not text; its default is used</translation>
    </message>
    <message>
        <source>数据库服务器 %1 拒绝了用户 %2 的登录：用户名或密码错误</source>
        <translation>Database server %1 refused user %2: wrong user name or password</translation>
    </message>
    <message>
        <source>用户 %1 无权访问数据库服务器 %2 上的数据库 %3</source>
        <translation>User %1 may not access database %3 on server %2</translation>
    </message>
    <message>
        <source>数据库服务器 %1 上不存在数据库 %2</source>
        <translation>Database server %1 has no database %2</translation>
    </message>
    <message>
        <source>数据库服务器 %1 上不存在用户 %2</source>
        <translation>Database server %1 has no user %2</translation>
    </message>
    <message>
        <source>找不到数据库服务器地址 %1</source>
        <translation>Cannot find the database server address %1</translation>
    </message>
    <message>
        <source>无法连接到数据库服务器 %1（服务器未启动、地址或端口错误，或网络不通）</source>
        <translation>Cannot connect to database server %1 (server not running, wrong address or port, or no network)</translation>
    </message>
    <message>
        <source>无法打开数据库服务器 %1 上的数据库 %2（用户 %3）</source>
        <translation>Cannot open database %2 on server %1 (user %3)</translation>
    </message>
    <message>
        <source>无法打开SQLite数据库文件 %1</source>
        <translation>Cannot open the SQLite database file %1</translation>
    </message>
    <message>
        <source>驱动信息：%1</source>
        <translation>Driver says: %1</translation>
    </message>
    <message>
        <source>无法设置数据库会话(%1)：%2</source>
        <translation>Cannot set up the database session (%1): %2</translation>
    </message>
    <message>
        <source>不支持的数据库类型代码 %1</source>
        <translation>Unsupported database type code %1</translation>
    </message>
    <message>
        <source>无法连接%1数据库 %2: 缺少Qt数据库驱动 %3 (已安装的驱动: %4)</source>
        <translation>Cannot connect to %1 database %2: the Qt database driver %3 is missing (installed drivers: %4)</translation>
    </message>
    <message>
        <source>数据库文件不存在: %1</source>
        <translation>The database file does not exist: %1</translation>
    </message>
    <message>
        <source>数据库未连接</source>
        <translation>No database link</translation>
    </message>
    <message>
        <source>无法开始事务: %1</source>
        <translation>Cannot begin a transaction: %1</translation>
    </message>
    <message>
        <source>第%1条语句没有改动任何记录(记录可能已被删除或修改)，全部修改已撤销。
语句: %2</source>
        <translation>Statement %1 changed no record (it may have been deleted or changed); all changes were undone.
Statement: %2</translation>
    </message>
    <message>
        <source>第%1条语句执行失败，全部修改已撤销。
语句: %2
原因: %3</source>
        <translation>Statement %1 failed; all changes were undone.
Statement: %2
Reason: %3</translation>
    </message>
    <message>
        <source>提交事务失败，全部修改已撤销: %1</source>
        <translation>Committing the transaction failed; all changes were undone: %1</translation>
    </message>
    <message>
        <source>没有填写数据库服务器地址</source>
        <translation>No database server address was given</translation>
    </message>
    <message>
        <source>数据库服务器 %1 在 %2 秒内没有响应，操作已中止</source>
        <translation>The database server %1 did not answer within %2 seconds; the operation was stopped</translation>
    </message>
    <message>
        <source>第%1条语句执行时数据库连接中断，事务没有提交，全部修改均未生效。
语句: %2
原因: %3</source>
        <translation>The database connection was lost while statement %1 ran; the transaction was not committed and none of the changes took effect.
Statement: %2
Reason: %3</translation>
    </message>
    <message>
        <source>提交事务时数据库连接中断，无法确认修改是否已经保存，请刷新后核对: %1</source>
        <translation>The database connection was lost while committing; it is not known whether the changes were saved. Refresh and check: %1</translation>
    </message>
    <message>
        <source>数据库服务器 %1 不提供加密连接，而加密连接设为“%2”，连接已拒绝</source>
        <translation>The database server %1 offers no encryption, but encryption is set to &quot;%2&quot;: link refused</translation>
    </message>
    <message>
        <source>数据库服务器 %1 的证书未通过验证：%2，连接已拒绝</source>
        <translation>The certificate of the database server %1 failed verification: %2. Link refused</translation>
    </message>
    <message>
        <source>数据库服务器 %1 只接受加密连接，而加密连接设为“%2”</source>
        <translation>The database server %1 accepts encrypted links only, but encryption is set to &quot;%2&quot;</translation>
    </message>
    <message>
        <source>数据库服务器 %1 拒绝了用户 %2 的登录：用户名或密码错误，或者服务器只接受加密连接（加密连接设为“%3”）</source>
        <translation>The database server %1 refused the login of user %2: wrong user name or password, or the server accepts encrypted links only (encryption is set to &quot;%3&quot;)</translation>
    </message>
    <message>
        <source>无法与数据库服务器 %1 建立加密连接</source>
        <translation>Cannot set up an encrypted link to the database server %1</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>首选</source>
        <translation>Preferred</translation>
    </message>
    <message>
        <source>必需</source>
        <translation>Required</translation>
    </message>
    <message>
        <source>验证服务器</source>
        <translation>Verify server</translation>
    </message>
    <message>
        <source>客户端证书和客户端私钥须一同给出</source>
        <translation>A client certificate and its client key go together: give both or neither</translation>
    </message>
    <message>
        <source>CA证书</source>
        <translation>CA certificate</translation>
    </message>
    <message>
        <source>客户端证书</source>
        <translation>Client certificate</translation>
    </message>
    <message>
        <source>客户端私钥</source>
        <translation>Client key</translation>
    </message>
    <message>
        <source>%1文件的路径中不能有分号: %2</source>
        <translation>The path of the %1 file must not contain a semicolon: %2</translation>
    </message>
    <message>
        <source>无法读取%1文件 %2</source>
        <translation>Cannot read the %1 file %2</translation>
    </message>
    <message>
        <source>证书已过期</source>
        <translation>the certificate has expired</translation>
    </message>
    <message>
        <source>证书尚未生效</source>
        <translation>the certificate is not valid yet</translation>
    </message>
    <message>
        <source>证书上的主机名与连接地址 %1 不符</source>
        <translation>the certificate does not name the address %1 (wrong host name)</translation>
    </message>
    <message>
        <source>证书不是由所信任的CA签发（未知的CA）</source>
        <translation>the certificate was not issued by a trusted CA (unknown CA)</translation>
    </message>
    <message>
        <source>证书无效（%1）</source>
        <translation>the certificate is invalid (%1)</translation>
    </message>
    <message>
        <source>无法读取CA证书文件 %1</source>
        <translation>Cannot read the CA certificate file %1</translation>
    </message>
    <message>
        <source>TLS握手失败（%1）</source>
        <translation>the TLS handshake failed (%1)</translation>
    </message>
    <message>
        <source>服务器没有出示证书</source>
        <translation>the server presented no certificate</translation>
    </message>
    <message>
        <source>
值: %1</source>
        <translation>
Values: %1</translation>
    </message>
    <message>
        <source>第%1条语句改动了 %2 条记录，应只改动 %3 条(条件指向的记录不止一条)，全部修改已撤销。
语句: %4</source>
        <translation>Statement %1 changed %2 records where it should change at most %3 (its condition names more than one record); all changes were undone.
Statement: %4</translation>
    </message>
    <message>
        <source>语句运行超过 %1 秒，已被数据库服务器 %2 中止（%3）</source>
        <translation>The statement ran longer than %1 s and database server %2 ended it (%3)</translation>
    </message>
    <message>
        <source>无法连接到数据库服务器 %1（%2 秒内没有应答）</source>
        <translation>Cannot connect to the database server %1 (no answer within %2 seconds)</translation>
    </message>
    <message>
        <source>%1 是一个文件夹，不是SQLite数据库文件</source>
        <translation>%1 is a folder, not an SQLite database file</translation>
    </message>
    <message>
        <source>数据库服务器 %1 的端口 %2 无效：端口须在1到65535之间</source>
        <translation>The port %2 of the database server %1 is invalid: a port lies between 1 and 65535</translation>
    </message>
    <message>
        <source>%1 只读</source>
        <translation>%1 is read-only</translation>
    </message>
</context>
<context>
    <name>QuitQuestion</name>
    <message>
        <source>消息</source>
        <translation>Message</translation>
    </message>
    <message>
        <source>确定退出软件</source>
        <translation>Exit the tool?</translation>
    </message>
    <message>
        <source>表 %1 有未保存的修改。退出前保存吗？</source>
        <translation>Table %1 has unsaved edits. Save them before exiting?</translation>
    </message>
    <message>
        <source>、</source>
        <translation>, </translation>
    </message>
    <message>
        <source>保存并退出</source>
        <translation>Save and exit</translation>
    </message>
    <message>
        <source>放弃修改并退出</source>
        <translation>Discard and exit</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>RepairSummary</name>
    <message>
        <source>%1%2：%3 条 — %4</source>
        <translation>%1%2: %3 record(s) — %4</translation>
    </message>
    <message>
        <source>（%1）</source>
        <translation> (%1)</translation>
    </message>
</context>
<context>
    <name>RowCountLabel</name>
    <message>
        <source>共 %1 条，选中 %2 条</source>
        <translation>%1 rows, %2 selected</translation>
    </message>
    <message>
        <source>…</source>
        <translation>…</translation>
    </message>
</context>
<context>
    <name>SheetExport</name>
    <message>
        <source>无法写入文件 %1: %2</source>
        <translation>Cannot write file %1: %2</translation>
    </message>
    <message>
        <source>没有指定文件</source>
        <translation>No file specified</translation>
    </message>
    <message>
        <source>这是一个文件夹</source>
        <translation>This is a folder</translation>
    </message>
</context>
<context>
    <name>SheetExportDlg</name>
    <message>
        <source>导出</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>内容:</source>
        <translation>Content:</translation>
    </message>
    <message>
        <source>文件:</source>
        <translation>File:</translation>
    </message>
    <message>
        <source>浏览…</source>
        <translation>Browse…</translation>
    </message>
    <message>
        <source>格式:</source>
        <translation>Format:</translation>
    </message>
    <message>
        <source>CSV（UTF-8）</source>
        <translation>CSV (UTF-8)</translation>
    </message>
    <message>
        <source>XLSX</source>
        <translation>XLSX</translation>
    </message>
    <message>
        <source>范围:</source>
        <translation>Range:</translation>
    </message>
    <message>
        <source>表头:</source>
        <translation>Header:</translation>
    </message>
    <message>
        <source>只写列名（不写列描述）</source>
        <translation>Column names only (no column descriptions)</translation>
    </message>
    <message>
        <source>显示的行和列（%1 行，按当前的筛选和排序）</source>
        <translation>Visible rows and columns (%1 rows, current filter and sort)</translation>
    </message>
    <message>
        <source>全部（%1 行）</source>
        <translation>All (%1 rows)</translation>
    </message>
    <message>
        <source>整个表（%1 行，所有列）</source>
        <translation>Entire table (%1 rows, all columns)</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>CSV 文件 (*.csv)</source>
        <translation>CSV files (*.csv)</translation>
    </message>
    <message>
        <source>XLSX 文件 (*.xlsx)</source>
        <translation>XLSX files (*.xlsx)</translation>
    </message>
    <message>
        <source>导出到</source>
        <translation>Export to</translation>
    </message>
    <message>
        <source>消息</source>
        <translation>Message</translation>
    </message>
    <message>
        <source>请指定要导出到的文件</source>
        <translation>Specify the file to export to</translation>
    </message>
    <message>
        <source>文件 %1 已存在，要覆盖它吗？</source>
        <translation>File %1 already exists. Overwrite it?</translation>
    </message>
    <message>
        <source>导出失败</source>
        <translation>Export failed</translation>
    </message>
    <message>
        <source>已导出 %1 行到 %2</source>
        <translation>Exported %1 rows to %2</translation>
    </message>
</context>
<context>
    <name>SheetImportDlg</name>
    <message>
        <source>导入</source>
        <translation>Import</translation>
    </message>
    <message>
        <source>表:</source>
        <translation>Table:</translation>
    </message>
    <message>
        <source>文件:</source>
        <translation>File:</translation>
    </message>
    <message>
        <source>CSV 文件（电子表格程序“另存为”CSV 即可）</source>
        <translation>CSV file (in a spreadsheet program, just “Save as” CSV)</translation>
    </message>
    <message>
        <source>浏览…</source>
        <translation>Browse…</translation>
    </message>
    <message>
        <source>读取</source>
        <translation>Read</translation>
    </message>
    <message>
        <source>忽略这些列</source>
        <translation>Ignore these columns</translation>
    </message>
    <message>
        <source>删除文件中没有的记录</source>
        <translation>Delete records not in the file</translation>
    </message>
    <message>
        <source>显示:</source>
        <translation>Show:</translation>
    </message>
    <message>
        <source>撤销上次导入</source>
        <translation>Undo last import</translation>
    </message>
    <message>
        <source>应用</source>
        <translation>Apply</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>自动识别编码</source>
        <translation>Auto-detect encoding</translation>
    </message>
    <message>
        <source>全部</source>
        <translation>All</translation>
    </message>
    <message>
        <source>选择要导入的 CSV 文件</source>
        <translation>Select CSV file to import</translation>
    </message>
    <message>
        <source>CSV 文件 (*.csv *.txt);;所有文件 (*)</source>
        <translation>CSV files (*.csv *.txt);;All files (*)</translation>
    </message>
    <message>
        <source>请选择要导入的表</source>
        <translation>Select the table to import into</translation>
    </message>
    <message>
        <source>请选择要导入的 CSV 文件</source>
        <translation>Select the CSV file to import</translation>
    </message>
    <message>
        <source>无法导入 %1：%2</source>
        <translation>Cannot import %1: %2</translation>
    </message>
    <message>
        <source>无法导入到表 %1：%2</source>
        <translation>Cannot import into table %1: %2</translation>
    </message>
    <message>
        <source>读取表 %1 失败: %2</source>
        <translation>Failed to read table %1: %2</translation>
    </message>
    <message>
        <source>按 %1 读取%2；表头 %3 行</source>
        <translation>Read as %1%2; %3 header rows</translation>
    </message>
    <message>
        <source>（自动识别）</source>
        <translation> (auto-detected)</translation>
    </message>
    <message>
        <source>。文件中有表中没有的列：%1，勾选“忽略这些列”后才能应用</source>
        <translation>. The file has columns the table does not have: %1. Check “Ignore these columns” to apply</translation>
    </message>
    <message>
        <source>当前用户没有修改权限</source>
        <translation>The current user has no permission to make changes</translation>
    </message>
    <message>
        <source>请先读取文件</source>
        <translation>Read the file first</translation>
    </message>
    <message>
        <source>文件中有表中没有的列</source>
        <translation>The file has columns the table does not have</translation>
    </message>
    <message>
        <source>没有需要写入的修改</source>
        <translation>No changes to write</translation>
    </message>
    <message>
        <source>消息</source>
        <translation>Message</translation>
    </message>
    <message>
        <source>将写入表 %1：%2</source>
        <translation>Will write to table %1: %2</translation>
    </message>
    <message>
        <source>被拒绝的 %1 行不会写入。</source>
        <translation>The %1 refused lines will not be written.</translation>
    </message>
    <message>
        <source>将删除表中有、文件中没有的 %1 条记录。</source>
        <translation>%1 records that are in the table but not in the file will be deleted.</translation>
    </message>
    <message>
        <source>确定写入吗？</source>
        <translation>Write these changes?</translation>
    </message>
    <message>
        <source>导入失败</source>
        <translation>Import failed</translation>
    </message>
    <message>
        <source>导入失败，未写入任何记录。</source>
        <translation>Import failed; no records were written.</translation>
    </message>
    <message>
        <source>已导入：新增 %1，修改 %2，删除 %3</source>
        <translation>Imported: %1 added, %2 changed, %3 deleted</translation>
    </message>
    <message>
        <source>撤销上次导入（%1 条记录）吗？</source>
        <translation>Undo the last import (%1 records)?</translation>
    </message>
    <message>
        <source>撤销失败</source>
        <translation>Undo failed</translation>
    </message>
    <message>
        <source>撤销失败，未做任何修改。</source>
        <translation>Undo failed; nothing was changed.</translation>
    </message>
    <message>
        <source>已撤销上次导入</source>
        <translation>Last import undone</translation>
    </message>
    <message>
        <source>正在读取文件和表…</source>
        <translation>Reading the file and the table…</translation>
    </message>
</context>
<context>
    <name>SheetViewExport</name>
    <message>
        <source>导出…</source>
        <translation>Export…</translation>
    </message>
    <message>
        <source>正在读取要导出的行…</source>
        <translation>Reading the rows to export…</translation>
    </message>
</context>
<context>
    <name>Splitter</name>
    <message>
        <source>第 %1 个字段的结束引号后面还有字符</source>
        <translation>Field %1 has characters after its closing quote</translation>
    </message>
    <message>
        <source>第 %1 行开始的引号直到文件末尾都没有结束</source>
        <translation>The quote opened on line %1 is not closed before the end of the file</translation>
    </message>
</context>
<context>
    <name>SqlWrite</name>
    <message>
        <source>UPDATE 表 SET 列 = 值 WHERE 列 = 值 [AND ...]、DELETE FROM 表 WHERE ... 或 INSERT INTO 表 (列, ...) VALUES (值, ...)，值为引号中的文本、数字或 NULL</source>
        <translation>UPDATE table SET column = value WHERE column = value [AND ...], DELETE FROM table WHERE ... or INSERT INTO table (column, ...) VALUES (value, ...), values being quoted texts, numbers or NULL</translation>
    </message>
</context>
<context>
    <name>TableDefinition</name>
    <message>
        <source>无法打开表定义文件 %1: %2</source>
        <translation>Cannot open the table definition file %1: %2</translation>
    </message>
    <message>
        <source>表定义文件 %1 格式错误(第%2行): %3</source>
        <translation>The table definition file %1 is malformed (line %2): %3</translation>
    </message>
    <message>
        <source>表定义文件 %1 缺少表名或列</source>
        <translation>The table definition file %1 lacks a table name or columns</translation>
    </message>
    <message>
        <source>表定义文件 %1 中列 %2 出现了两次</source>
        <translation>The table definition file %1 names the column %2 twice</translation>
    </message>
</context>
<context>
    <name>TableSheet</name>
    <message>
        <source>条件不能含有分号、注释或第二条语句: %1</source>
        <translation>The condition must not contain semicolons, comments or a second statement: %1</translation>
    </message>
    <message>
        <source>条件中的括号不成对: %1</source>
        <translation>The brackets of the condition do not pair up: %1</translation>
    </message>
    <message>
        <source>表 %1 无法按关键字 %2 分段读取：读到 %3 后没有前进</source>
        <translation>Table %1 cannot be read in ranges of its key %2: the read did not move on after %3</translation>
    </message>
</context>
<context>
    <name>Worker</name>
    <message>
        <source>数据库未连接</source>
        <translation>Not connected to a database</translation>
    </message>
</context>
<context>
    <name>XlsxSheetWriter</name>
    <message>
        <source>第 %1 行“%2”列的文本超过 %3 个字符，XLSX 单元格放不下；请导出为 CSV</source>
        <translation>The text in row %1, column “%2” exceeds %3 characters and does not fit in an XLSX cell; export as CSV instead</translation>
    </message>
    <message>
        <source>没有可导出的列</source>
        <translation>No columns to export</translation>
    </message>
    <message>
        <source>%1 行超过 XLSX 的 %2 行上限；请导出为 CSV</source>
        <translation>%1 rows exceed the XLSX limit of %2 rows; export as CSV instead</translation>
    </message>
    <message>
        <source>无法创建 XLSX 文件 %1</source>
        <translation>Cannot create XLSX file %1</translation>
    </message>
    <message>
        <source>无法写入 XLSX 文件 %1: %2</source>
        <translation>Cannot write XLSX file %1: %2</translation>
    </message>
    <message>
        <source>无法在 XLSX 文件中建立工作表“%1”</source>
        <translation>Cannot create the worksheet &quot;%1&quot; in the XLSX file</translation>
    </message>
</context>
<context>
    <name>configcheck.xml</name>
    <message>
        <source>RTU所属通道</source>
        <translation>Channel of RTUs</translation>
    </message>
    <message>
        <source>关联与引用检查</source>
        <translation>Link and reference checks</translation>
    </message>
    <message>
        <source>前置RTU标签</source>
        <translation>Front-end RTU tags</translation>
    </message>
    <message>
        <source>前置数字量所属RTU</source>
        <translation>RTU of front-end digital points</translation>
    </message>
    <message>
        <source>前置数字量控制标签</source>
        <translation>Front-end digital control tags</translation>
    </message>
    <message>
        <source>前置数字量标签</source>
        <translation>Front-end digital tags</translation>
    </message>
    <message>
        <source>前置数据块标签</source>
        <translation>Front-end data block tags</translation>
    </message>
    <message>
        <source>前置模拟量所属RTU</source>
        <translation>RTU of front-end analog points</translation>
    </message>
    <message>
        <source>前置模拟量控制标签</source>
        <translation>Front-end analog control tags</translation>
    </message>
    <message>
        <source>前置模拟量标签</source>
        <translation>Front-end analog tags</translation>
    </message>
    <message>
        <source>前置混合量所属RTU</source>
        <translation>RTU of front-end mix points</translation>
    </message>
    <message>
        <source>前置混合量控制标签</source>
        <translation>Front-end mix control tags</translation>
    </message>
    <message>
        <source>前置混合量标签</source>
        <translation>Front-end mix tags</translation>
    </message>
    <message>
        <source>前置累积量所属RTU</source>
        <translation>RTU of front-end accumulators</translation>
    </message>
    <message>
        <source>前置累积量标签</source>
        <translation>Front-end accumulator tags</translation>
    </message>
    <message>
        <source>前置设备所属RTU</source>
        <translation>RTU of front-end devices</translation>
    </message>
    <message>
        <source>前置通道标签</source>
        <translation>Front-end channel tags</translation>
    </message>
    <message>
        <source>控制与存在检查</source>
        <translation>Control and existence checks</translation>
    </message>
    <message>
        <source>数字量关联前置测点</source>
        <translation>Digital points linked to front-end points</translation>
    </message>
    <message>
        <source>数字量测点标签</source>
        <translation>Digital point tags</translation>
    </message>
    <message>
        <source>权限检查</source>
        <translation>Permission checks</translation>
    </message>
    <message>
        <source>标签结构检查</source>
        <translation>Tag structure checks</translation>
    </message>
    <message>
        <source>模拟量关联前置测点</source>
        <translation>Analog points linked to front-end points</translation>
    </message>
    <message>
        <source>模拟量测点标签</source>
        <translation>Analog point tags</translation>
    </message>
    <message>
        <source>混合量关联前置测点</source>
        <translation>Mix points linked to front-end points</translation>
    </message>
    <message>
        <source>混合量测点标签</source>
        <translation>Mix point tags</translation>
    </message>
    <message>
        <source>用户组权限</source>
        <translation>User group permissions</translation>
    </message>
    <message>
        <source>累积量关联前置测点</source>
        <translation>Accumulators linked to front-end points</translation>
    </message>
    <message>
        <source>累积量测点标签</source>
        <translation>Accumulator tags</translation>
    </message>
    <message>
        <source>联动引用的测点存在</source>
        <translation>Points referenced by linkages exist</translation>
    </message>
    <message>
        <source>设备所属设备组</source>
        <translation>Device group of devices</translation>
    </message>
    <message>
        <source>设备标签</source>
        <translation>Device tags</translation>
    </message>
    <message>
        <source>设备组标签</source>
        <translation>Device group tags</translation>
    </message>
    <message>
        <source>闭锁参数的数字量可控</source>
        <translation>Digital points of interlocks are controllable</translation>
    </message>
    <message>
        <source>数字量跨位置专业关联</source>
        <translation>Digital links across places</translation>
    </message>
    <message>
        <source>数字量前置点重复关联</source>
        <translation>Digital front-end points linked twice</translation>
    </message>
    <message>
        <source>模拟量跨位置专业关联</source>
        <translation>Analog links across places</translation>
    </message>
    <message>
        <source>模拟量前置点重复关联</source>
        <translation>Analog front-end points linked twice</translation>
    </message>
    <message>
        <source>混合量跨位置专业关联</source>
        <translation>Mix links across places</translation>
    </message>
    <message>
        <source>混合量前置点重复关联</source>
        <translation>Mix front-end points linked twice</translation>
    </message>
    <message>
        <source>累积量跨位置专业关联</source>
        <translation>Accumulator links across places</translation>
    </message>
    <message>
        <source>累积量前置点重复关联</source>
        <translation>Accumulator front-end points linked twice</translation>
    </message>
</context>
<context>
    <name>mainWindow.xml</name>
    <message>
        <source>前置关联</source>
        <translation>Front-end links</translation>
    </message>
    <message>
        <source>前置测点</source>
        <translation>Front-end points</translation>
    </message>
    <message>
        <source>后台测点</source>
        <translation>Back-stage points</translation>
    </message>
    <message>
        <source>用户权限</source>
        <translation>User rights</translation>
    </message>
    <message>
        <source>系统模型</source>
        <translation>System model</translation>
    </message>
    <message>
        <source>设备组与设备</source>
        <translation>Devices</translation>
    </message>
    <message>
        <source>通道与RTU</source>
        <translation>Channels and RTUs</translation>
    </message>
    <message>
        <source>限值与控制</source>
        <translation>Limits, control</translation>
    </message>
</context>
<context>
    <name>model_check</name>
    <message>
        <source>共 %1 条异常
</source>
        <translation>%1 findings in all
</translation>
    </message>
    <message>
        <source>检查失败：</source>
        <translation>Check failed: </translation>
    </message>
    <message>
        <source>%1 条异常</source>
        <translation>%1 findings</translation>
    </message>
    <message>
        <source>修复被拒绝: 当前连接只读。平台连接下没有登录的平台用户，修复请用直连(--type 等参数)。</source>
        <translation>Repair refused: the link is read-only. A platform link has no logged-in platform user; repair over a direct link (--type and the other options).</translation>
    </message>
    <message>
        <source>修复被拒绝: 日志服务无法启动，删除无法记录: %1</source>
        <translation>Repair refused: the logging service did not start, so the deletions could not be recorded: %1</translation>
    </message>
    <message>
        <source>没有可自动修复的记录</source>
        <translation>No record can be repaired automatically</translation>
    </message>
    <message>
        <source>将在一个事务中删除 %1 条记录:</source>
        <translation>%1 record(s) will be deleted in one transaction:</translation>
    </message>
    <message>
        <source>未删除任何记录</source>
        <translation>No record was deleted</translation>
    </message>
    <message>
        <source>修复失败，未删除任何记录: %1</source>
        <translation>Repair failed; no record was deleted: %1</translation>
    </message>
    <message>
        <source>已删除 %1 条记录</source>
        <translation>%1 records deleted</translation>
    </message>
    <message>
        <source>%1 不是检查配置文件: 其中没有检查组(type)</source>
        <translation>%1 is no check definition file: it holds no check group (type)</translation>
    </message>
    <message>
        <source>警告: %1</source>
        <translation>Warning: %1</translation>
    </message>
    <message>
        <source>无法检查 %1 / %2: %3</source>
        <translation>Cannot check %1 / %2: %3</translation>
    </message>
    <message>
        <source>  查询语句: %1</source>
        <translation>  Query: %1</translation>
    </message>
    <message>
        <source>无法写出结果</source>
        <translation>Cannot write the results</translation>
    </message>
    <message>
        <source>确认删除以上 %1 条记录?</source>
        <translation>Delete the %1 records above?</translation>
    </message>
</context>
<context>
    <name>model_table</name>
    <message>
        <source>无法写出到标准输出</source>
        <translation>Cannot write to standard output</translation>
    </message>
    <message>
        <source>读取表 %1 失败: %2</source>
        <translation>Failed to read table %1: %2</translation>
    </message>
    <message>
        <source>已导出 %1 行到 %2</source>
        <translation>Exported %1 rows to %2</translation>
    </message>
    <message>
        <source>标准输出</source>
        <translation>standard output</translation>
    </message>
    <message>
        <source>%1（%2%3）
%4
</source>
        <translation>%1 (%2%3)
%4
</translation>
    </message>
    <message>
        <source>，检测</source>
        <translation>, detected</translation>
    </message>
    <message>
        <source>第 %1 行 拒绝: %2
</source>
        <translation>Line %1 refused: %2
</translation>
    </message>
    <message>
        <source>删除: %1
</source>
        <translation>Delete: %1
</translation>
    </message>
    <message>
        <source>文件中有表 %1 没有的列: %2；加 --ignore-unknown 忽略这些列</source>
        <translation>The file has columns that table %1 does not have: %2; add --ignore-unknown to ignore them</translation>
    </message>
    <message>
        <source>、</source>
        <translation>, </translation>
    </message>
    <message>
        <source>没有需要写入的修改</source>
        <translation>No changes to write</translation>
    </message>
    <message>
        <source>确认写入以上修改? %1</source>
        <translation>Write the changes above? %1</translation>
    </message>
    <message>
        <source>未写入任何记录</source>
        <translation>No records were written</translation>
    </message>
    <message>
        <source>导入被拒绝: 日志服务无法启动，修改无法记录: %1</source>
        <translation>Import refused: the log service could not start, so changes cannot be recorded: %1</translation>
    </message>
    <message>
        <source>导入失败，未写入任何记录: %1</source>
        <translation>Import failed, no records were written: %1</translation>
    </message>
    <message>
        <source>已写入: 新增 %1，修改 %2，删除 %3</source>
        <translation>Written: %1 added, %2 changed, %3 deleted</translation>
    </message>
    <message>
        <source>导入被拒绝: 当前连接只读。平台连接下没有登录的平台用户，导入请用直连(--type 等参数)。</source>
        <translation>Import refused: the current connection is read-only. No platform user is logged in on the platform connection; to import, use a direct connection (--type and related options).</translation>
    </message>
    <message>
        <source>%1 行被拒绝，未写入任何记录（--skip-refused: 只写入其余的行）</source>
        <translation>%1 lines refused, no records were written (--skip-refused: write only the other lines)</translation>
    </message>
</context>
<context>
    <name>model_varnix</name>
    <message>
        <source>设备建模：查看、批量修改和检查综合监控系统的配置数据库。启动后先显示平台登录对话框。</source>
        <translation>Device modelling: look up, batch-edit and check the configuration database of the supervisory control platform. It starts with the platform login dialog.</translation>
    </message>
</context>
<context>
    <name>model_waiting_dlg</name>
    <message>
        <source>正在连接数据库，请稍候...</source>
        <translation>Connecting to the database, please wait...</translation>
    </message>
</context>
<context>
    <name>orvConfigCheck</name>
    <message>
        <source>无法打开检查配置文件 %1: %2</source>
        <translation>Cannot open the check definition file %1: %2</translation>
    </message>
    <message>
        <source>检查配置文件 %1 格式错误(第%2行): %3</source>
        <translation>The check definition file %1 is malformed (line %2): %3</translation>
    </message>
    <message>
        <source>检查项“%1 / %2”: </source>
        <translation>Check item &quot;%1 / %2&quot;: </translation>
    </message>
    <message>
        <source>未知的检查规则 %1，该项不做检查</source>
        <translation>Unknown check rule %1; the item is not checked</translation>
    </message>
    <message>
        <source>未知的修复规则 %1，该项不能自动修复</source>
        <translation>Unknown repair rule %1; the item cannot be repaired automatically</translation>
    </message>
    <message>
        <source>检查规则 %1 需要至少 %2 个参数，只有 %3 个，该项不做检查</source>
        <translation>Check rule %1 needs at least %2 parameters but has %3; the item is not checked</translation>
    </message>
    <message>
        <source>修复规则 %1 需要至少 %2 个参数，只有 %3 个，该项不会删除任何记录</source>
        <translation>Repair rule %1 needs at least %2 parameters but has %3; the item deletes no record</translation>
    </message>
    <message>
        <source>表定义 %1 无法打开，用到它的权限检查不报告任何结果: %2</source>
        <translation>Table definition %1 cannot be opened; the permission checks using it report nothing: %2</translation>
    </message>
    <message>
        <source>%1 为 NULL</source>
        <translation>%1 IS NULL</translation>
    </message>
    <message>
        <source>表 %1 中已没有 %2 的记录(可能已被删除)，全部删除已撤销。请重新检查后再修复。</source>
        <translation>Table %1 no longer holds the record %2 (it may have been deleted); all deletions were undone. Check again before repairing.</translation>
    </message>
</context>
<context>
    <name>orvConfigCheckDlg</name>
    <message>
        <source>配置检查</source>
        <translation>Configuration check</translation>
    </message>
    <message>
        <source>开始检查</source>
        <translation>Start check</translation>
    </message>
    <message>
        <source>检查项目</source>
        <translation>Check item</translation>
    </message>
    <message>
        <source>异常数量</source>
        <translation>Findings</translation>
    </message>
    <message>
        <source>异常详情</source>
        <translation>Finding details</translation>
    </message>
    <message>
        <source>是否修复</source>
        <translation>Repair</translation>
    </message>
    <message>
        <source>检查配置文件有 %1 处问题，相关项目不会被检查（指针停留可查看）</source>
        <translation>The check definition file has %1 problems; the items concerned are not checked (hover to see)</translation>
    </message>
    <message>
        <source>未选择检查项目</source>
        <translation>No check item chosen</translation>
    </message>
    <message>
        <source>查看详情</source>
        <translation>Details</translation>
    </message>
    <message>
        <source>当前用户没有修改权限</source>
        <translation>The current user may not make changes</translation>
    </message>
    <message>
        <source>    需手动修复</source>
        <translation>    repair by hand</translation>
    </message>
    <message>
        <source>完成</source>
        <translation>Done</translation>
    </message>
    <message>
        <source>修复勾选项</source>
        <translation>Repair ticked items</translation>
    </message>
    <message>
        <source>检查失败</source>
        <translation>Check failed</translation>
    </message>
    <message>
        <source>检查失败：</source>
        <translation>Check failed: </translation>
    </message>
    <message>
        <source>查询语句: %1</source>
        <translation>Query: %1</translation>
    </message>
    <message>
        <source>查看原因</source>
        <translation>Show reason</translation>
    </message>
    <message>
        <source>已删除 %1 条记录</source>
        <translation>%1 records deleted</translation>
    </message>
    <message>
        <source>修复失败，未删除任何记录</source>
        <translation>Repair failed; no record was deleted</translation>
    </message>
    <message>
        <source>消息</source>
        <translation>Message</translation>
    </message>
    <message>
        <source>修复成功</source>
        <translation>Repaired</translation>
    </message>
    <message>
        <source>还没有检查结果可以导出</source>
        <translation>No check results to export yet</translation>
    </message>
    <message>
        <source>检查结果</source>
        <translation>Check results</translation>
    </message>
    <message>
        <source>确认删除</source>
        <translation>Confirm deletion</translation>
    </message>
    <message>
        <source>将在一个事务中删除 %1 条记录：</source>
        <translation>%1 record(s) will be deleted in one transaction:</translation>
    </message>
    <message>
        <source>删除后不能撤销。确定删除吗？</source>
        <translation>A deletion cannot be undone. Delete them?</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>orvDevPointWidget</name>
    <message>
        <source>输入标签名或描述的一部分，回车搜索</source>
        <translation>Part of a tag name or description, Enter to search</translation>
    </message>
    <message>
        <source>全部类型</source>
        <translation>All types</translation>
    </message>
    <message>
        <source>搜索</source>
        <translation>Search</translation>
    </message>
    <message>
        <source>位置 / 设备组 / 设备</source>
        <translation>Location / device group / device</translation>
    </message>
    <message>
        <source>类型</source>
        <translation>Type</translation>
    </message>
    <message>
        <source>标签名</source>
        <translation>Tag name</translation>
    </message>
    <message>
        <source>描述</source>
        <translation>Description</translation>
    </message>
    <message>
        <source>前置测点</source>
        <translation>Front-end point</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>读取失败: %1</source>
        <translation>Reading failed: %1</translation>
    </message>
    <message>
        <source>仅显示前 %1 个测点，请缩小搜索范围</source>
        <translation>Only the first %1 points are shown; narrow the search</translation>
    </message>
</context>
<context>
    <name>orvErrorListDlg</name>
    <message>
        <source>异常详情 - %1</source>
        <translation>Finding details - %1</translation>
    </message>
    <message>
        <source>异常详情</source>
        <translation>Finding details</translation>
    </message>
    <message>
        <source>标签名</source>
        <translation>Tag name</translation>
    </message>
    <message>
        <source>描述</source>
        <translation>Description</translation>
    </message>
    <message>
        <source>错误原因</source>
        <translation>Reason</translation>
    </message>
    <message>
        <source>清理</source>
        <translation>Clean up</translation>
    </message>
    <message>
        <source>全选</source>
        <translation>Select all</translation>
    </message>
    <message>
        <source>反选</source>
        <translation>Invert selection</translation>
    </message>
    <message>
        <source>清理勾选项</source>
        <translation>Clean up ticked items</translation>
    </message>
    <message>
        <source>当前用户没有修改权限</source>
        <translation>The current user may not make changes</translation>
    </message>
</context>
<context>
    <name>tables</name>
    <message>
        <source>IP地址</source>
        <translation>IP address</translation>
    </message>
    <message>
        <source>RTU号</source>
        <translation>RTU number</translation>
    </message>
    <message>
        <source>RTU名</source>
        <translation>RTU name</translation>
    </message>
    <message>
        <source>RTU地址</source>
        <translation>RTU address</translation>
    </message>
    <message>
        <source>上上限</source>
        <translation>High-high limit</translation>
    </message>
    <message>
        <source>上限</source>
        <translation>High limit</translation>
    </message>
    <message>
        <source>下下限</source>
        <translation>Low-low limit</translation>
    </message>
    <message>
        <source>下限</source>
        <translation>Low limit</translation>
    </message>
    <message>
        <source>专业</source>
        <translation>Subsystem</translation>
    </message>
    <message>
        <source>专业标识</source>
        <translation>Subsystem ID</translation>
    </message>
    <message>
        <source>位数</source>
        <translation>Bits</translation>
    </message>
    <message>
        <source>位置</source>
        <translation>Location</translation>
    </message>
    <message>
        <source>位置序号</source>
        <translation>Location number</translation>
    </message>
    <message>
        <source>位置权限1</source>
        <translation>Location right 1</translation>
    </message>
    <message>
        <source>位置权限2</source>
        <translation>Location right 2</translation>
    </message>
    <message>
        <source>位置权限3</source>
        <translation>Location right 3</translation>
    </message>
    <message>
        <source>位置权限4</source>
        <translation>Location right 4</translation>
    </message>
    <message>
        <source>位置权限5</source>
        <translation>Location right 5</translation>
    </message>
    <message>
        <source>位置权限6</source>
        <translation>Location right 6</translation>
    </message>
    <message>
        <source>位置权限7</source>
        <translation>Location right 7</translation>
    </message>
    <message>
        <source>位置权限8</source>
        <translation>Location right 8</translation>
    </message>
    <message>
        <source>位置标识</source>
        <translation>Location ID</translation>
    </message>
    <message>
        <source>位置类型</source>
        <translation>Location type</translation>
    </message>
    <message>
        <source>偏移量</source>
        <translation>Offset</translation>
    </message>
    <message>
        <source>关联标识</source>
        <translation>Link ID</translation>
    </message>
    <message>
        <source>前置RTU</source>
        <translation>Front-end RTU</translation>
    </message>
    <message>
        <source>前置控制点</source>
        <translation>Front-end control point</translation>
    </message>
    <message>
        <source>前置数字量</source>
        <translation>Front-end digital</translation>
    </message>
    <message>
        <source>前置数字量控制</source>
        <translation>Front-end digital control</translation>
    </message>
    <message>
        <source>前置数据块</source>
        <translation>Front-end data block</translation>
    </message>
    <message>
        <source>前置模拟量</source>
        <translation>Front-end analog</translation>
    </message>
    <message>
        <source>前置模拟量控制</source>
        <translation>Front-end analog control</translation>
    </message>
    <message>
        <source>前置测点</source>
        <translation>Front-end points</translation>
    </message>
    <message>
        <source>前置混合量</source>
        <translation>Front-end mix</translation>
    </message>
    <message>
        <source>前置混合量控制</source>
        <translation>Front-end mix control</translation>
    </message>
    <message>
        <source>前置累积量</source>
        <translation>Front-end accumulator</translation>
    </message>
    <message>
        <source>前置设备</source>
        <translation>Front-end device</translation>
    </message>
    <message>
        <source>前置通道</source>
        <translation>Front-end channel</translation>
    </message>
    <message>
        <source>功能代码</source>
        <translation>Function code</translation>
    </message>
    <message>
        <source>功能名</source>
        <translation>Function name</translation>
    </message>
    <message>
        <source>功能标识</source>
        <translation>Function ID</translation>
    </message>
    <message>
        <source>动作值</source>
        <translation>Action value</translation>
    </message>
    <message>
        <source>单位</source>
        <translation>Unit</translation>
    </message>
    <message>
        <source>原始编码</source>
        <translation>Raw code</translation>
    </message>
    <message>
        <source>取反</source>
        <translation>Inverted</translation>
    </message>
    <message>
        <source>口令摘要</source>
        <translation>Password hash</translation>
    </message>
    <message>
        <source>告警级别</source>
        <translation>Alarm level</translation>
    </message>
    <message>
        <source>域</source>
        <translation>Domain</translation>
    </message>
    <message>
        <source>域标识</source>
        <translation>Domain ID</translation>
    </message>
    <message>
        <source>姓名</source>
        <translation>Full name</translation>
    </message>
    <message>
        <source>存盘周期</source>
        <translation>Storage period</translation>
    </message>
    <message>
        <source>属性</source>
        <translation>Property</translation>
    </message>
    <message>
        <source>常态值</source>
        <translation>Normal value</translation>
    </message>
    <message>
        <source>平台用户</source>
        <translation>Platform users</translation>
    </message>
    <message>
        <source>序号</source>
        <translation>Number</translation>
    </message>
    <message>
        <source>应用</source>
        <translation>Application</translation>
    </message>
    <message>
        <source>应用标识</source>
        <translation>Application ID</translation>
    </message>
    <message>
        <source>所属RTU</source>
        <translation>RTU</translation>
    </message>
    <message>
        <source>所属域</source>
        <translation>Domain</translation>
    </message>
    <message>
        <source>所属应用</source>
        <translation>Application</translation>
    </message>
    <message>
        <source>所属设备</source>
        <translation>Device</translation>
    </message>
    <message>
        <source>所属设备组</source>
        <translation>Device group</translation>
    </message>
    <message>
        <source>所属通道</source>
        <translation>Channel</translation>
    </message>
    <message>
        <source>报表</source>
        <translation>Reports</translation>
    </message>
    <message>
        <source>报表名</source>
        <translation>Report name</translation>
    </message>
    <message>
        <source>报表描述</source>
        <translation>Report description</translation>
    </message>
    <message>
        <source>报表标识</source>
        <translation>Report ID</translation>
    </message>
    <message>
        <source>控制启用</source>
        <translation>Control enabled</translation>
    </message>
    <message>
        <source>控制类型</source>
        <translation>Control type</translation>
    </message>
    <message>
        <source>描述</source>
        <translation>Description</translation>
    </message>
    <message>
        <source>数字量</source>
        <translation>Digital</translation>
    </message>
    <message>
        <source>数字量前置关联</source>
        <translation>Digital front-end links</translation>
    </message>
    <message>
        <source>数字量控制</source>
        <translation>Digital control</translation>
    </message>
    <message>
        <source>数据块类型</source>
        <translation>Data block type</translation>
    </message>
    <message>
        <source>是否可控</source>
        <translation>Controllable</translation>
    </message>
    <message>
        <source>是否启用</source>
        <translation>Enabled</translation>
    </message>
    <message>
        <source>是否告警</source>
        <translation>Alarm</translation>
    </message>
    <message>
        <source>最大值</source>
        <translation>Maximum</translation>
    </message>
    <message>
        <source>最小值</source>
        <translation>Minimum</translation>
    </message>
    <message>
        <source>权限字1</source>
        <translation>Right word 1</translation>
    </message>
    <message>
        <source>权限字10</source>
        <translation>Right word 10</translation>
    </message>
    <message>
        <source>权限字11</source>
        <translation>Right word 11</translation>
    </message>
    <message>
        <source>权限字12</source>
        <translation>Right word 12</translation>
    </message>
    <message>
        <source>权限字13</source>
        <translation>Right word 13</translation>
    </message>
    <message>
        <source>权限字14</source>
        <translation>Right word 14</translation>
    </message>
    <message>
        <source>权限字15</source>
        <translation>Right word 15</translation>
    </message>
    <message>
        <source>权限字16</source>
        <translation>Right word 16</translation>
    </message>
    <message>
        <source>权限字2</source>
        <translation>Right word 2</translation>
    </message>
    <message>
        <source>权限字3</source>
        <translation>Right word 3</translation>
    </message>
    <message>
        <source>权限字4</source>
        <translation>Right word 4</translation>
    </message>
    <message>
        <source>权限字5</source>
        <translation>Right word 5</translation>
    </message>
    <message>
        <source>权限字6</source>
        <translation>Right word 6</translation>
    </message>
    <message>
        <source>权限字7</source>
        <translation>Right word 7</translation>
    </message>
    <message>
        <source>权限字8</source>
        <translation>Right word 8</translation>
    </message>
    <message>
        <source>权限字9</source>
        <translation>Right word 9</translation>
    </message>
    <message>
        <source>标签名</source>
        <translation>Tag name</translation>
    </message>
    <message>
        <source>模拟量</source>
        <translation>Analog</translation>
    </message>
    <message>
        <source>模拟量前置关联</source>
        <translation>Analog front-end links</translation>
    </message>
    <message>
        <source>模拟量控制</source>
        <translation>Analog control</translation>
    </message>
    <message>
        <source>模拟量限值</source>
        <translation>Analog limits</translation>
    </message>
    <message>
        <source>死区</source>
        <translation>Dead band</translation>
    </message>
    <message>
        <source>测点属性</source>
        <translation>Point property</translation>
    </message>
    <message>
        <source>测点引用</source>
        <translation>Point reference</translation>
    </message>
    <message>
        <source>混合量</source>
        <translation>Mix</translation>
    </message>
    <message>
        <source>混合量前置关联</source>
        <translation>Mix front-end links</translation>
    </message>
    <message>
        <source>混合量控制</source>
        <translation>Mix control</translation>
    </message>
    <message>
        <source>满码值</source>
        <translation>Full-scale code</translation>
    </message>
    <message>
        <source>点号</source>
        <translation>Point number</translation>
    </message>
    <message>
        <source>特殊功能</source>
        <translation>Special functions</translation>
    </message>
    <message>
        <source>特殊功能1</source>
        <translation>Special function 1</translation>
    </message>
    <message>
        <source>特殊功能2</source>
        <translation>Special function 2</translation>
    </message>
    <message>
        <source>特殊功能3</source>
        <translation>Special function 3</translation>
    </message>
    <message>
        <source>特殊功能4</source>
        <translation>Special function 4</translation>
    </message>
    <message>
        <source>特殊功能5</source>
        <translation>Special function 5</translation>
    </message>
    <message>
        <source>特殊功能6</source>
        <translation>Special function 6</translation>
    </message>
    <message>
        <source>特殊功能7</source>
        <translation>Special function 7</translation>
    </message>
    <message>
        <source>特殊功能8</source>
        <translation>Special function 8</translation>
    </message>
    <message>
        <source>用户标识</source>
        <translation>User ID</translation>
    </message>
    <message>
        <source>用户组</source>
        <translation>User group</translation>
    </message>
    <message>
        <source>用户组名</source>
        <translation>User group name</translation>
    </message>
    <message>
        <source>用户组标识</source>
        <translation>User group ID</translation>
    </message>
    <message>
        <source>用户组画面与报表权限</source>
        <translation>User group display and report rights</translation>
    </message>
    <message>
        <source>用户组责任区</source>
        <translation>User group areas of responsibility</translation>
    </message>
    <message>
        <source>画面</source>
        <translation>Displays</translation>
    </message>
    <message>
        <source>画面名</source>
        <translation>Display name</translation>
    </message>
    <message>
        <source>画面描述</source>
        <translation>Display description</translation>
    </message>
    <message>
        <source>画面文件</source>
        <translation>Display file</translation>
    </message>
    <message>
        <source>画面标识</source>
        <translation>Display ID</translation>
    </message>
    <message>
        <source>登录名</source>
        <translation>Login name</translation>
    </message>
    <message>
        <source>端口</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>类型(0画面1报表)</source>
        <translation>Type (0 display, 1 report)</translation>
    </message>
    <message>
        <source>系数</source>
        <translation>Factor</translation>
    </message>
    <message>
        <source>累积量</source>
        <translation>Accumulator</translation>
    </message>
    <message>
        <source>累积量前置关联</source>
        <translation>Accumulator front-end links</translation>
    </message>
    <message>
        <source>联动动作</source>
        <translation>Linkage actions</translation>
    </message>
    <message>
        <source>脉宽(ms)</source>
        <translation>Pulse width (ms)</translation>
    </message>
    <message>
        <source>规约</source>
        <translation>Protocol</translation>
    </message>
    <message>
        <source>角色</source>
        <translation>Roles</translation>
    </message>
    <message>
        <source>角色名</source>
        <translation>Role name</translation>
    </message>
    <message>
        <source>角色权限1</source>
        <translation>Role right 1</translation>
    </message>
    <message>
        <source>角色权限2</source>
        <translation>Role right 2</translation>
    </message>
    <message>
        <source>角色权限3</source>
        <translation>Role right 3</translation>
    </message>
    <message>
        <source>角色权限4</source>
        <translation>Role right 4</translation>
    </message>
    <message>
        <source>角色权限5</source>
        <translation>Role right 5</translation>
    </message>
    <message>
        <source>角色权限6</source>
        <translation>Role right 6</translation>
    </message>
    <message>
        <source>角色权限7</source>
        <translation>Role right 7</translation>
    </message>
    <message>
        <source>角色权限8</source>
        <translation>Role right 8</translation>
    </message>
    <message>
        <source>角色标识</source>
        <translation>Role ID</translation>
    </message>
    <message>
        <source>记录标识</source>
        <translation>Record ID</translation>
    </message>
    <message>
        <source>设备</source>
        <translation>Device</translation>
    </message>
    <message>
        <source>设备号</source>
        <translation>Device number</translation>
    </message>
    <message>
        <source>设备地址</source>
        <translation>Device address</translation>
    </message>
    <message>
        <source>设备序号</source>
        <translation>Device number</translation>
    </message>
    <message>
        <source>设备描述</source>
        <translation>Device description</translation>
    </message>
    <message>
        <source>设备类型</source>
        <translation>Device type</translation>
    </message>
    <message>
        <source>设备组</source>
        <translation>Device group</translation>
    </message>
    <message>
        <source>设备组序号</source>
        <translation>Device group number</translation>
    </message>
    <message>
        <source>起始地址</source>
        <translation>Start address</translation>
    </message>
    <message>
        <source>超时(s)</source>
        <translation>Timeout (s)</translation>
    </message>
    <message>
        <source>通道号</source>
        <translation>Channel number</translation>
    </message>
    <message>
        <source>通道名</source>
        <translation>Channel name</translation>
    </message>
    <message>
        <source>长度</source>
        <translation>Length</translation>
    </message>
    <message>
        <source>闭锁值</source>
        <translation>Interlock value</translation>
    </message>
    <message>
        <source>闭锁参数</source>
        <translation>Interlocks</translation>
    </message>
    <message>
        <source>闭锁数字量</source>
        <translation>Interlocking digital point</translation>
    </message>
    <message>
        <source>限值启用</source>
        <translation>Limits enabled</translation>
    </message>
</context>
</TS>
